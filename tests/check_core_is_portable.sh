#!/bin/sh
# The portable core (common, app, cmdline, sfnt, webfont, font, reader, fixer, install, check) must name no
# operating system: no OS header, no conditional compilation. Everything OS-specific belongs in posix/ or windows/.
found=$(grep -n -E '^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif)\b|_WIN32|__linux__|__unix__|#[[:space:]]*include[[:space:]]*<(windows|unistd|fcntl|io|sys/[a-z]+)\.h>' \
  common/* app/* cmdline/* sfnt/* webfont/* font/* reader/* fixer/* install/* check/* 2>/dev/null)
if [ -n "$found" ]; then
  echo "OS-specific code in the portable core:"
  echo "$found"
  exit 1
fi
echo "portable core: no OS headers, no conditional compilation"
