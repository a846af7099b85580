# The MS-DOS side of zepho.exe: what runs where no Win32 loader does (plain
# MS-DOS, the DOS box of Windows 3.x, the MS-DOS mode of Windows 95 to ME).
# It ends with status 0, "not recognised", writes nothing to standard output,
# so that a batch file's "> FILE" stays empty, and says on standard error
# that zepho needs Windows, unless an argument of the command tail begins
# with /QUIET, read as the Windows program reads its arguments. It makes no
# other DOS call. 8086 code only: DOS runs on 8088s.
#
# cmake/dos_stub.py places it: this code at file offset 40h, right after the
# DOS header, with CS:IP at its first byte; the message in spare bytes at the
# end of a section, with SS:SP pointing at it. SP at entry is therefore the
# message's offset, and the stack grows down, away from it.
	.code16
	.text
start:
	cld
	mov	$0x81, %si		# the command tail, after its length byte
	xor	%bx, %bx		# bytes of /QUIET matched so far in this argument
	xor	%cx, %cx		# CL: FFh inside double quotes, else 0; CH stays 0
next:
	lodsb
	cmp	$0x0D, %al		# a CR ends the tail
	je	say
	cmp	$'"', %al		# quotes are dropped; between them blanks join
	jne	unquoted
	not	%cl
	jmp	next
unquoted:
	cmp	$0x21, %al		# outside quotes, bytes 1 to 32 separate arguments
	jae	letter
	jcxz	separator
letter:
	cmp	$0x60, %al		# upper-case a to z; clearing bit 5 of 60h-FFh
	jb	compare			# makes no other byte match a letter of /QUIET
	and	$0xDF, %al
compare:
	cmp	%cs:(quiet - start)(%bx), %al
	jne	mismatch
	inc	%bx
	cmp	$6, %bl			# all of /QUIET: say nothing
	jne	next
quit:
	mov	$0x4C00, %ax		# end with status 0
	int	$0x21
mismatch:
	mov	$6, %bl			# the rest of this argument meets the 7Fh below,
	jmp	next			# which no byte matches after the upper-casing
separator:
	xor	%bx, %bx
	jmp	next
say:
	mov	%sp, %dx
	push	%cs
	pop	%ds
	mov	$0x40, %ah		# write to a handle:
	mov	$2, %bl			# standard error (BH is 0)
	mov	$(message_end - message), %cl
	int	$0x21
	jmp	quit
quiet:
	.ascii	"/QUIET\x7f"

	.data
message:			# what this build needs, which the build writes
	.include "dos_message.s"
message_end:
