"""Checks what `cmake --install` puts under a prefix, as a desktop finds it.

  check_install.py --build DIR --cmake CMAKE --id APP_ID --sizes 16,32,... files
      every installed file a desktop program needs is there
  check_install.py ... validate
      desktop-file-validate and appstreamcli accept the desktop entry and the metainfo, and the
      metainfo's launchable is the installed desktop entry
  check_install.py ... start --open FILE
      the installed program starts and opens FILE, given on its command line, as File 1
"""
import argparse
import os
import selectors
import shutil
import subprocess
import sys
import tempfile
import time
import uuid


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def install(args, prefix):
    done = subprocess.run([args.cmake, "--install", args.build, "--prefix", prefix],
                          capture_output=True, text=True)
    if done.returncode != 0:
        fail(f"cmake --install exited with {done.returncode}:\n{done.stdout}{done.stderr}")


def expected_files(args):
    files = ["bin/quarix", "bin/quarix-cli", "share/doc/quarix/manual/index.html",
             f"share/applications/{args.id}.desktop", f"share/metainfo/{args.id}.metainfo.xml",
             f"share/icons/hicolor/scalable/apps/{args.id}.svg"]
    files += [f"share/icons/hicolor/{n}x{n}/apps/{args.id}.png" for n in args.sizes.split(",")]
    return files


def check_files(args, prefix):
    missing = [f for f in expected_files(args) if not os.path.isfile(os.path.join(prefix, f))]
    if missing:
        fail("not installed: " + ", ".join(missing))
    for program in ("bin/quarix", "bin/quarix-cli"):
        if not os.access(os.path.join(prefix, program), os.X_OK):
            fail(f"{program} is not executable")


def run_validator(command):
    if shutil.which(command[0]) is None:
        fail(f"{command[0]} is not installed (scripts/install-deps installs it)")
    done = subprocess.run(command, capture_output=True, text=True)
    output = (done.stdout + done.stderr).strip()
    if done.returncode != 0:
        fail(f"{' '.join(command)} exited with {done.returncode}:\n{output}")
    print(f"{command[0]}: ok{': ' + output if output else ''}")


def validate(args, prefix):
    run_validator(["desktop-file-validate",
                   os.path.join(prefix, f"share/applications/{args.id}.desktop")])
    run_validator(["appstreamcli", "validate", "--no-net",
                   os.path.join(prefix, f"share/metainfo/{args.id}.metainfo.xml")])
    # The tree's check also finds the desktop entry the metainfo launches; it reads usr/share.
    run_validator(["appstreamcli", "validate-tree", "--no-net", os.path.dirname(prefix)])


def start(args, prefix):
    path = os.path.abspath(args.open)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QUARIX_REPORT_INSTANCE="1",
               QUARIX_INSTANCE_KEY=f"quarix-desktop-test-{uuid.uuid4().hex}")
    program = subprocess.Popen([os.path.join(prefix, "bin/quarix"), path], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    wanted = f"file1 {path}"
    seen = []
    try:
        selector = selectors.DefaultSelector()
        selector.register(program.stdout, selectors.EVENT_READ)
        deadline = time.monotonic() + 20
        pending = b""
        while time.monotonic() < deadline:
            if not selector.select(timeout=deadline - time.monotonic()):
                break
            chunk = os.read(program.stdout.fileno(), 4096)
            if not chunk:
                break
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for line in lines:
                text = line.decode("utf-8", "replace")
                seen.append(text)
                if text == wanted:
                    print(f"the installed program printed: {wanted}")
                    return
        status = program.poll()
        ended = f"it exited with {status}" if status is not None else "it is still running"
        fail(f"no line '{wanted}' within 20 s ({ended}); it printed:\n" + "\n".join(seen))
    finally:
        if program.poll() is None:
            program.kill()
        program.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--id", required=True)
    parser.add_argument("--sizes", required=True)
    parser.add_argument("--open")
    parser.add_argument("check", choices=["files", "validate", "start"])
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="quarix-install-") as root:
        prefix = os.path.join(root, "usr")
        install(args, prefix)
        if args.check == "files":
            check_files(args, prefix)
        elif args.check == "validate":
            validate(args, prefix)
        else:
            start(args, prefix)


main()
