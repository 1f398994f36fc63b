| Logic, bit, move, address, call, exchange, test and immediate families.
| Per instruction: SR (word) after it, then the register or long it changed.
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	move.l	#0xf0f0f0f0,%d0
	move.l	#0x0ff00ff0,%d1
	move.w	#0x1f,%ccr
	and.l	%d1,%d0
	ccr_out
	out	%d0
	move.w	#0x00,%ccr
	or.b	#0x80,%d0
	ccr_out
	out	%d0
	move.w	#0x00,%ccr
	eor.w	%d1,%d0
	ccr_out
	out	%d0
	move.w	#0x00,%ccr
	not.b	%d0
	ccr_out
	out	%d0
	moveq	#0,%d2
	move.w	#0x00,%ccr
	bset	#31,%d2
	ccr_out
	out	%d2
	moveq	#33,%d3
	move.w	#0x00,%ccr
	bchg	%d3,%d2
	ccr_out
	out	%d2
	move.w	#0x04,%ccr
	btst	#31,%d2
	ccr_out
	out	%d2
	move.b	#0x81,0x3000
	move.w	#0x00,%ccr
	bclr	#7,0x3000
	ccr_out
	out	0x3000
	move.w	#0x04,%ccr
	btst	#8,0x3000
	ccr_out
	out	0x3000
	move.w	#0x13,%ccr
	moveq	#-1,%d4
	ccr_out
	out	%d4
	move.w	#0x1f,%ccr
	movea.w	#0x8000,%a0
	ccr_out
	out	%a0
	move.w	#0x1f,%ccr
	move.b	#0,%d4
	ccr_out
	out	%d4
	move.w	#0x00,%ccr
	lea	0x10(%a0),%a1
	ccr_out
	out	%a1
	pea	0x1234.w
	move.w	#0x00,%ccr
	move.l	(%sp)+,%d5
	ccr_out
	out	%d5
	moveq	#0,%d6
	move.w	#0x00,%ccr
	bsr	sub1
	ccr_out
	out	%d6
	lea	sub2(%pc),%a2
	move.w	#0x00,%ccr
	jsr	(%a2)
	ccr_out
	out	%d6
	move.l	#0x12345678,%d0
	move.l	#0x9abcdef0,%a3
	move.w	#0x00,%ccr
	exg	%d0,%a3
	ccr_out
	out	%a3
	move.w	#0x00,%ccr
	swap	%d0
	ccr_out
	out	%d0
	move.l	#0xf0,%d1
	move.w	#0x00,%ccr
	ext.w	%d1
	ccr_out
	out	%d1
	move.w	#0x00,%ccr
	ext.l	%d1
	ccr_out
	out	%d1
	move.w	#0x1f,%ccr
	clr.w	%d1
	ccr_out
	out	%d1
	move.b	#0x40,0x3001
	move.w	#0x0f,%ccr
	tas	0x3001
	ccr_out
	out	0x3000
	move.w	#0x00,%ccr
	tst.l	%d1
	ccr_out
	out	%d1
	moveq	#0,%d2
	move.w	#0x00,%ccr
	subq.b	#1,%d2
	ccr_out
	out	%d2
	movea.l	#0,%a4
	move.w	#0x00,%ccr
	subq.w	#1,%a4
	ccr_out
	out	%a4
	move.w	#0x00,%ccr
	adda.w	#-2,%a4
	ccr_out
	out	%a4
	move.w	#0x00,%ccr
	suba.l	#0xfffffffd,%a4
	ccr_out
	out	%a4
	move.w	#0x00,%ccr
	cmpa.w	#0x8000,%a0
	ccr_out
	out	%a0
	lea	0x3010,%a0
	lea	0x3020,%a1
	move.b	#5,(%a0)
	move.b	#5,(%a1)
	move.w	#0x00,%ccr
	cmpm.b	(%a0)+,(%a1)+
	ccr_out
	out	%a1
	move.l	#0xf000,%d7
	move.w	#0x00,%ccr
	addi.w	#0x1000,%d7
	ccr_out
	out	%d7
	move.w	#0x00,%ccr
	subi.l	#1,%d7
	ccr_out
	out	%d7
	move.w	#0x00,%ccr
	cmpi.b	#0xff,%d7
	ccr_out
	out	%d7
	move.l	#0x5555,%a5
	move.l	%a5,%usp
	move.w	#0x00,%ccr
	move.l	%usp,%a3
	ccr_out
	out	%a3
| SR and CCR immediates
	move.w	#0x2700,%sr
	ori	#0x15,%sr
	move.w	%sr,(%a6)+
	andi	#0xef,%ccr
	move.w	%sr,(%a6)+
	eori	#0x1f,%ccr
	move.w	%sr,(%a6)+
	andi	#0xfaff,%sr
	move.w	%sr,(%a6)+
	rts
sub1:	moveq	#42,%d6
	rts
sub2:	addq.l	#1,%d6
	rts
