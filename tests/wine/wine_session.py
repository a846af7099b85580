"""One Wine prefix with a persistent wineserver, shared by the Wine rows and
bench/figures.py."""
import os
import subprocess


class WineSession:
    def __init__(self, prefix, arch="win32"):
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEARCH=arch, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        # Only read where qemu runs 32-bit code: keep the guest's address
                        # space just above 2 GB, which Wine's start-up needs and probes quickly.
                        QEMU_RESERVED_VA="0x80800000")
        self.env.pop("SESSIONNAME", None)
        self.env.pop("WINSTATIONNAME", None)

    def run(self, args, env=None, **kwargs):
        return subprocess.run(["wine"] + args, env=dict(self.env, **(env or {})), **kwargs)

    def start(self):
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineboot", "-i"], env=self.env, **quiet)
        try:  # under qemu the first boot's services have been seen never to end; go on with them
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=180)
        except subprocess.TimeoutExpired:
            pass
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # Wine's background services otherwise keep capture pipes open.
        self.run(["cmd", "/c", "exit"], **quiet)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
