| ADD, SUB, CMP, NEG, ADDX, SUBX, NEGX at all three sizes. After every
| operation: SR (word), then the destination (long).
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	move.l	#0x1234567f,%d0
	moveq	#1,%d1
	move.w	#0,%ccr
	add.b	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0xff,%d0
	move.w	#0,%ccr
	add.b	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x8000,%d0
	move.l	#0x8000,%d1
	move.w	#0,%ccr
	add.w	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x7fff,%d0
	moveq	#1,%d1
	move.w	#0,%ccr
	add.w	%d1,%d0
	ccr_out
	out	%d0
	moveq	#-1,%d0
	move.w	#0,%ccr
	add.l	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x7fffffff,%d0
	move.w	#0,%ccr
	add.l	%d1,%d0
	ccr_out
	out	%d0
| SUB
	moveq	#0,%d0
	move.w	#0,%ccr
	sub.b	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x80,%d0
	move.w	#0,%ccr
	sub.b	%d1,%d0
	ccr_out
	out	%d0
	moveq	#0,%d0
	move.l	#0x8000,%d1
	move.w	#0,%ccr
	sub.w	%d1,%d0
	ccr_out
	out	%d0
	moveq	#5,%d0
	moveq	#5,%d1
	move.w	#0x1f,%ccr
	sub.l	%d1,%d0
	ccr_out
	out	%d0
| CMP keeps X and the register
	moveq	#0,%d0
	moveq	#1,%d1
	move.w	#0x10,%ccr
	cmp.b	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x8000,%d0
	move.w	#0,%ccr
	cmp.w	%d1,%d0
	ccr_out
	out	%d0
	moveq	#5,%d0
	moveq	#5,%d1
	move.w	#0,%ccr
	cmp.l	%d1,%d0
	ccr_out
	out	%d0
| NEG
	move.l	#0x80,%d0
	move.w	#0,%ccr
	neg.b	%d0
	ccr_out
	out	%d0
	moveq	#0,%d0
	move.w	#0x1f,%ccr
	neg.w	%d0
	ccr_out
	out	%d0
	moveq	#1,%d0
	move.w	#0,%ccr
	neg.l	%d0
	ccr_out
	out	%d0
| ADDX: Z follows the result like ADD's
	move.l	#0xff,%d0
	moveq	#0,%d1
	move.w	#0x10,%ccr
	addx.b	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x7fff,%d0
	move.w	#0x10,%ccr
	addx.w	%d1,%d0
	ccr_out
	out	%d0
	moveq	#1,%d0
	moveq	#2,%d1
	move.w	#0x04,%ccr
	addx.l	%d1,%d0
	ccr_out
	out	%d0
| SUBX
	moveq	#0,%d0
	moveq	#0,%d1
	move.w	#0x10,%ccr
	subx.b	%d1,%d0
	ccr_out
	out	%d0
	moveq	#1,%d0
	move.w	#0x10,%ccr
	subx.w	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x80000000,%d0
	moveq	#1,%d1
	move.w	#0,%ccr
	subx.l	%d1,%d0
	ccr_out
	out	%d0
| NEGX: Z is only cleared, never set
	moveq	#0,%d0
	move.w	#0x14,%ccr
	negx.b	%d0
	ccr_out
	out	%d0
	moveq	#0,%d0
	move.w	#0,%ccr
	negx.w	%d0
	ccr_out
	out	%d0
	moveq	#0,%d0
	move.w	#0x04,%ccr
	negx.w	%d0
	ccr_out
	out	%d0
	move.l	#0x80000000,%d0
	move.w	#0,%ccr
	negx.l	%d0
	ccr_out
	out	%d0
| ADDX/SUBX memory forms: bytes 0x10 0xf0 at 0x3000, 0x01 0x20 at 0x3010
	lea	0x3002,%a0
	lea	0x3012,%a1
	move.w	#0x10f0,0x3000
	move.w	#0x0120,0x3010
	move.w	#0x10,%ccr
	addx.b	-(%a0),-(%a1)
	ccr_out
	move.w	#0x00,%ccr
	addx.b	-(%a0),-(%a1)
	ccr_out
	out	%a0
	out	%a1
	move.w	0x3010,%d0
	out	%d0
	rts
