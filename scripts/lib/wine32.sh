# shellcheck shell=bash
# Whether 32-bit Windows programs can run here under wine: wine32 must be
# installed, and the kernel must run 32-bit x86 programs at all (many
# virtual machines and containers have that switched off, and wine32's
# loader then fails with "Exec format error" for every program, 64-bit
# ones included, since /usr/bin/wine picks the 32-bit loader first).

# True when the kernel runs a 32-bit x86 program: a 93-byte static ELF
# that only calls exit(0).
x86_32_programs_run() {
  local probe status
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08%b%b%b%b' \
    '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
    '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
  chmod +x "$probe"
  "$probe" >/dev/null 2>&1
  status=$?
  rm -f "$probe"
  return "$status"
}

wine32_works() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" && x86_32_programs_run
}
