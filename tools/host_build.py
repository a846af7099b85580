"""Programs of a preset (build/host, or another build's exe) that scripts run,
configured and built on demand, so that a script needs no build step of its
own."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build_host_target(target, preset="host"):
    """Builds `target` of the preset, configuring build/PRESET first when it is not there."""
    # Not a sub-make of whatever make runs the caller, which would share its job server.
    env = {name: value for name, value in os.environ.items() if not name.startswith(("MAKE", "MFLAGS"))}
    quiet = dict(cwd=ROOT, check=True, stdout=subprocess.DEVNULL, env=env)
    if not os.path.exists(os.path.join(ROOT, f"build/{preset}/CMakeCache.txt")):
        subprocess.run(["cmake", "--preset", preset], **quiet)
    subprocess.run(["cmake", "--build", "--preset", preset, "--target", target], **quiet)
