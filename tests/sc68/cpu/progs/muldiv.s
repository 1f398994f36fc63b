| MULU, MULS, DIVU, DIVS edge cases: SR word, then the destination. The
| zero divide handler (vector 0x14) counts its calls in D6 and checks
| that the stacked PC is the next instruction.
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	move.l	#0xffff,%d0
	move.l	#0xffff,%d1
	move.w	#0,%ccr
	mulu	%d1,%d0
	ccr_out
	out	%d0
	moveq	#-1,%d0
	moveq	#-1,%d1
	move.w	#0,%ccr
	muls	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x8000,%d0
	move.l	#0x8000,%d1
	move.w	#0,%ccr
	muls	%d1,%d0
	ccr_out
	out	%d0
	move.l	#0x8000,%d0
	moveq	#1,%d1
	move.w	#0x10,%ccr
	muls	%d1,%d0
	ccr_out
	out	%d0
	moveq	#0,%d0
	move.w	#0,%ccr
	mulu	#1234,%d0
	ccr_out
	out	%d0
| DIVU overflow leaves the register, sets V, clears C
	move.l	#0x10000,%d0
	move.w	#0x01,%ccr
	divu	#1,%d0
	ccr_out
	out	%d0
	moveq	#100,%d0
	move.w	#0x1f,%ccr
	divu	#7,%d0
	ccr_out
	out	%d0
	moveq	#-100,%d0
	move.w	#0,%ccr
	divs	#7,%d0
	ccr_out
	out	%d0
	move.l	#0x80000000,%d0
	move.w	#0x01,%ccr
	divs	#-1,%d0
	ccr_out
	out	%d0
	move.l	#100000,%d0
	move.w	#0,%ccr
	divs	#2,%d0
	ccr_out
	out	%d0
	move.l	#-32768,%d0
	move.w	#0,%ccr
	divs	#1,%d0
	ccr_out
	out	%d0
| zero divide
	moveq	#0,%d6
	lea	zdiv(%pc),%a0
	move.l	%a0,0x14
	moveq	#0,%d1
	moveq	#55,%d0
	divu	%d1,%d0
after_divu:
	divs	#0,%d0
after_divs:
	out	%d6
	out	%d0
	rts

zdiv:
	addq.w	#1,%d6
	lea	after_divu(%pc),%a0
	cmp.l	2(%sp),%a0
	beq.s	1f
	lea	after_divs(%pc),%a0
	cmp.l	2(%sp),%a0
	beq.s	1f
	add.w	#0x100,%d6
1:	rte
