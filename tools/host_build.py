"""Programs of the host preset (build/host) that scripts run, configured and
built on demand, so that a script needs no build step of its own."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build_host_target(target):
    """Builds `target` of the host preset, configuring build/host first when it is not there."""
    # Not a sub-make of whatever make runs the caller, which would share its job server.
    env = {name: value for name, value in os.environ.items() if not name.startswith(("MAKE", "MFLAGS"))}
    quiet = dict(cwd=ROOT, check=True, stdout=subprocess.DEVNULL, env=env)
    if not os.path.exists(os.path.join(ROOT, "build/host/CMakeCache.txt")):
        subprocess.run(["cmake", "--preset", "host"], **quiet)
    subprocess.run(["cmake", "--build", "--preset", "host", "--target", target], **quiet)
