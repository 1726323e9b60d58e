#!/bin/sh
# Fails when a file in a subsystem folder includes SDL, POSIX, Windows or
# espeak-ng headers: only host/ and the generators in tools/ may.
root=${1:-.}
status=0
for folder in app textwindow picture sound speech diphone vedra sapi; do
  [ -d "$root/$folder" ] || continue
  hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL|SDL2/|windows\.h|winbase|mmsystem|unistd\.h|fcntl\.h|dirent\.h|dlfcn\.h|pthread\.h|sys/|espeak|samplerate|fontconfig)' \
    "$root/$folder" --include='*.cpp' --include='*.h' --include='*.hpp' 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "$hits"
    status=1
  fi
done
# The synthesizer library runs an installed program as a child process: only
# its seams, mbrola/os_posix.cpp and its Windows counterpart os_win32.cpp,
# may reach the system for that.
if [ -d "$root/mbrola" ]; then
  hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL|SDL2/|windows\.h|winbase|mmsystem|unistd\.h|fcntl\.h|dirent\.h|dlfcn\.h|pthread\.h|poll\.h|signal\.h|spawn\.h|sys/|espeak|samplerate|fontconfig)' \
    "$root/mbrola" --include='*.cpp' --include='*.h' 2>/dev/null | grep -v '/mbrola/os_\(posix\|win32\)\.cpp:')
  if [ -n "$hits" ]; then
    echo "$hits"
    status=1
  fi
fi
[ $status -eq 0 ] && echo "include boundaries: ok"
exit $status
