#!/bin/sh
# Prints the shell command in the README's code block that follows the line <!-- NAME -->.
#   .ci/readme_command.sh NAME [README]
awk -v mark="<!-- $1 -->" '$0 == mark { found = 1; next }
  found && /^```/ { if (inside) exit; inside = 1; next }
  inside { print }' "${2:-README.md}"
