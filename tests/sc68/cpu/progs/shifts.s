| Shifts and rotates of 0x80000001 (long) by 0, 1, 8, 31, 32 and 63, with X
| preset; then some word, byte and memory cases. SR word, then the register.
	.include "common.inc"
	.macro	by6 op
	.irp	n, 0, 1, 8, 31, 32, 63
	move.l	#0x80000001,%d0
	moveq	#\n,%d1
	move.w	#0x10,%ccr
	\op\().l	%d1,%d0
	ccr_out
	out	%d0
	.endr
	.endm
	.text
	lea	RESULTS,%a6
	by6	asl
	by6	asr
	by6	lsl
	by6	lsr
	by6	rol
	by6	ror
	by6	roxl
	by6	roxr
	move.l	#0xffff8001,%d0
	move.w	#0,%ccr
	asr.w	#1,%d0
	ccr_out
	out	%d0
	move.l	#0x81,%d0
	move.w	#0,%ccr
	lsl.b	#8,%d0
	ccr_out
	out	%d0
	move.l	#0x1234,%d0
	move.w	#0x10,%ccr
	ror.w	#8,%d0
	ccr_out
	out	%d0
	move.l	#0x40,%d0
	move.w	#0,%ccr
	asl.b	#1,%d0
	ccr_out
	out	%d0
	move.w	#0xc001,0x3000
	move.w	#0,%ccr
	asl.w	0x3000
	ccr_out
	move.w	0x3000,%d0
	out	%d0
	move.w	#0x10,%ccr
	roxr.w	0x3000
	ccr_out
	move.w	0x3000,%d0
	out	%d0
	rts
