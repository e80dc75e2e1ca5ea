# Sourced by tools/install-deps.sh and tests/rig/wine-emulated.sh. Where the kernel cannot start
# 32-bit programs, qemu-user starts them through a binfmt_misc handler for i386 programs (Debian's
# qemu-user ships none on amd64). The handler is registered only on such hosts and only for the
# run: in a user namespace of the run's own, with a binfmt_misc of its own, where the kernel allows
# one (Linux 6.7 and later), so that nothing else on the machine sees it; else on the machine
# itself, and put back as it was when the run ends, also when it fails or is interrupted.

EMU_I386_QEMU=/usr/bin/qemu-i386
EMU_I386_BINFMT=/proc/sys/fs/binfmt_misc
EMU_I386_NAME=vorbel-i386
# An i386 ELF program (executable or shared object): the kernel hands it to qemu-i386, opened once
# at registration ("F"), so that it is found inside other mount namespaces as well.
EMU_I386_HANDLER=":$EMU_I386_NAME:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$EMU_I386_QEMU:F"
EMU_I386_MOUNTED=
EMU_I386_REGISTERED=
# While the handler is on the machine: the registering process and whether it mounted
# binfmt_misc, so that a run killed before it could put things back is undone by the next
# (emu_i386_restore_stale).
EMU_I386_MARK=/run/vorbel-i386-binfmt

# Whether the kernel itself starts 32-bit programs. Asked inside a namespace whose binfmt_misc is
# new and empty where the kernel allows it, so that a handler registered on the machine (by
# another run) cannot answer for the kernel.
emu_i386_kernel_runs() {
  [ -e /lib/ld-linux.so.2 ] || return 1
  unshare --user --map-root-user --mount --propagation private sh -c \
    "mount -t binfmt_misc binfmt_misc $EMU_I386_BINFMT 2>/dev/null; exec /lib/ld-linux.so.2 --help" >/dev/null 2>&1
}

# Why emulation cannot run here, or nothing when it can.
emu_i386_missing() {
  [ -x "$EMU_I386_QEMU" ] || { echo "qemu-i386 is missing (package qemu-user, tools/install-deps.sh installs it)"; return; }
  [ -x /usr/lib/wine/wine ] || { echo "32-bit Wine is missing (package wine32:i386, tools/install-deps.sh installs it)"; return; }
  command -v unshare >/dev/null || echo "unshare is missing (package util-linux)"
}

# Registers the handler on the machine until emu_i386_restore; for the package installation, which
# must see it in dpkg's maintainer scripts. The caller sets a trap that calls emu_i386_restore.
emu_i386_register_machine() {
  if [ ! -e "$EMU_I386_BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$EMU_I386_BINFMT" || return 1
    EMU_I386_MOUNTED=1
  fi
  if [ -e "$EMU_I386_BINFMT/$EMU_I386_NAME" ]; then
    echo "a handler $EMU_I386_NAME is already registered on this machine: another run uses it" >&2
    return 1
  fi
  printf '%s' "$EMU_I386_HANDLER" > "$EMU_I386_BINFMT/register" || { emu_i386_restore; return 1; }
  EMU_I386_REGISTERED=1
  echo "$$ ${EMU_I386_MOUNTED:-0}" > "$EMU_I386_MARK"
}

# Puts binfmt_misc back as it was before emu_i386_register_machine.
emu_i386_restore() {
  if [ -n "$EMU_I386_REGISTERED" ] && [ -e "$EMU_I386_BINFMT/$EMU_I386_NAME" ]; then
    echo -1 > "$EMU_I386_BINFMT/$EMU_I386_NAME" || echo "could not remove $EMU_I386_BINFMT/$EMU_I386_NAME" >&2
  fi
  EMU_I386_REGISTERED=
  if [ -n "$EMU_I386_MOUNTED" ]; then
    umount "$EMU_I386_BINFMT" || echo "could not unmount $EMU_I386_BINFMT" >&2
  fi
  EMU_I386_MOUNTED=
  rm -f "$EMU_I386_MARK"
}

# Undoes the registration of a run that ended without putting the machine back (killed).
emu_i386_restore_stale() {
  local pid mounted
  [ -f "$EMU_I386_MARK" ] || return 0
  read -r pid mounted < "$EMU_I386_MARK" || return 0
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then return 0; fi
  echo "Putting binfmt_misc back as it was before a run that was ended early"
  EMU_I386_REGISTERED=1
  EMU_I386_MOUNTED=
  [ "$mounted" != 1 ] || EMU_I386_MOUNTED=1
  emu_i386_restore
}

# emu_i386_run COMMAND...: runs COMMAND where i386 programs start under qemu-i386: in a namespace
# of its own where the kernel allows it, else with the handler registered on the machine until
# COMMAND ends (an interrupted run ends COMMAND first, then puts the machine back).
emu_i386_run() {
  local rc=0
  if unshare --user --map-root-user --mount --propagation private sh -c \
    "mount -t binfmt_misc binfmt_misc $EMU_I386_BINFMT" 2>/dev/null; then
    unshare --user --map-root-user --mount --propagation private sh -c \
      "mount -t binfmt_misc binfmt_misc $EMU_I386_BINFMT && printf '%s' '$EMU_I386_HANDLER' > $EMU_I386_BINFMT/register && exec \"\$@\"" \
      sh "$@" || rc=$?
    return $rc
  fi
  echo "This kernel has no binfmt_misc of a namespace's own: the handler is registered on the machine for the run."
  emu_i386_register_machine || return 1
  "$@" || rc=$?
  emu_i386_restore
  return $rc
}
