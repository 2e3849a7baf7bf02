#!/usr/bin/env bash
# The release: the 32-bit Pinote.dll, checked, into dist/ with install notes. Built by the win32
# preset, the tree whose test programs make test runs under 32-bit Wine against this DLL.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "${JOBS:-2}" --target Pinote
scripts/check-release-dll.sh build/win32/Pinote.dll
mkdir -p dist
cp build/win32/Pinote.dll dist/
printf '%s\r\n' \
  'Quillet for Becky!2 (Pinote.dll) Ver.0.03 Rev.2' \
  '' \
  'Installing' \
  '1. Quit Becky! 2.' \
  '2. Copy Pinote.dll into the PlugIns folder of Becky! 2. That is the folder PlugIns' \
  '   beside B2.exe, or PlugIns in the Becky! data folder (the folder that holds your' \
  '   mailboxes).' \
  '3. Start Becky! 2. Tool > Quillet for Becky!2 > Open the Quillet opens the memo window;' \
  '   Help > About Plugins shows the version; Tool > Plug-in setup opens the options.' \
  '' \
  'Files' \
  'Pinote.dat (memos) and Pinote.ini (settings) are created next to Pinote.dll. Keep them' \
  'when you update the plug-in. The help files Pinote.hlp (Japanese) and PinoteE.hlp' \
  '(English) go next to Pinote.dll as well.' \
  '' \
  'Name list' \
  'To show the entries of an address-book file, choose it on the name-list page of the' \
  'options dialog; use an absolute path.' \
  '' \
  'Uninstalling' \
  'Quit Becky! 2 and delete Pinote.dll (and Pinote.dat / Pinote.ini if you no longer need' \
  'your memos).' > dist/INSTALL.txt
echo "release: dist/Pinote.dll and dist/INSTALL.txt"
