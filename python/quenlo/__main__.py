"""``python -m quenlo`` runs quenlo-check, as the ``quenlo-check`` command does."""
import os
import subprocess
import sys

from quenlo import program


def _run(name: str) -> int:
    command = [program(name)] + sys.argv[1:]
    if sys.platform == "win32":
        return subprocess.call(command)
    os.execv(command[0], command)
    return 2  # not reached: the program has taken this process's place


def check_main() -> int:
    """The quenlo-check command."""
    return _run("quenlo-check")


def quenlo_main() -> int:
    """The quenlo command."""
    return _run("quenlo")


if __name__ == "__main__":
    sys.exit(check_main())
