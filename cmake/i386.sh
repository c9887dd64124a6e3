# Running 32-bit Linux programs, which Wine's 32-bit loader is, where the kernel will not.
# Sourced by lib.sh.
#
# Some kernels run no 32-bit programs at all: built without IA32 emulation or booted with
# ia32_emulation=off, as in some VMs and sandboxes. There the loader fails with "Exec format
# error" and every 32-bit exe with it. qemu's user-mode emulator, registered with the kernel's
# binfmt_misc, runs them instead, slowly: a 32-bit Wine process takes a minute or more to start,
# and now and then hangs waiting for its server. That serves the run command and the benchmark;
# the test command leaves the 32-bit suite out there (cmake/test.sh).

I386_EMULATOR=/usr/bin/qemu-i386-static
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Registers the emulator for 32-bit programs unless the kernel runs them; sets WIN32_EMULATED to
# true or false, and tells the tests through VENEERKIT_I386_EMULATED. The registration is the
# kernel's, for the whole machine, until it restarts.
enable_i386() {
    WIN32_EMULATED=false
    export VENEERKIT_I386_EMULATED=0
    local loader=/lib/ld-linux.so.2
    [ -x "$loader" ] || return 0 # no 32-bit libraries yet: find_wine32 will say so
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && "$loader" --version >/dev/null 2>&1; then
        return 0
    fi
    WIN32_EMULATED=true
    VENEERKIT_I386_EMULATED=1
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && return 0
    say "this kernel runs no 32-bit programs: registering qemu's emulator for them"
    is_installed qemu-user-static || install_missing qemu-user-static
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
            die "cannot mount binfmt_misc to run 32-bit programs"
    fi
    printf ':qemu-i386:M::%s:%s:%s:F\n' "$I386_MAGIC" "$I386_MASK" "$I386_EMULATOR" |
        as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null ||
        die "cannot register qemu-i386 with binfmt_misc"
    "$loader" --version >/dev/null 2>&1 || die "32-bit programs do not run even under qemu"
}
