"""``python -m quenlo`` runs quenlo-check with the arguments given, as the command does."""
import os
import subprocess
import sys

from quenlo import program


def main() -> int:
    command = [program("quenlo-check")] + sys.argv[1:]
    if sys.platform == "win32":
        return subprocess.call(command)
    os.execv(command[0], command)
    return 2  # not reached: the program has taken this process's place


if __name__ == "__main__":
    sys.exit(main())
