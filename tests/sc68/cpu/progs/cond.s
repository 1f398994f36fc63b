| Scc, Bcc and DBcc on all 16 conditions for each CCR value. Per CCR: 16
| Scc bytes, then a word with bit n set when Bcc n branched, then a word
| with bit n set when DBcc n fell through to its counter (condition false).
	.include "common.inc"
| One CCR value through every condition. Bcc F is left out: it would be BSR.
	.macro	conditions ccr
	.irp	c, t,f,hi,ls,cc,cs,ne,eq,vc,vs,pl,mi,ge,lt,gt,le
	move.w	#\ccr,%ccr
	s\c	(%a6)+
	.endr
	moveq	#0,%d2
	.set	bit, 0
	.irp	c, ra.s,skip,hi.s,ls.s,cc.s,cs.s,ne.s,eq.s,vc.s,vs.s,pl.s,mi.s,ge.s,lt.s,gt.s,le.s
	.ifnc	\c,skip
	move.w	#\ccr,%ccr
	b\c	1f
	bra.s	2f
1:	bset	#bit,%d2
2:
	.endif
	.set	bit, bit+1
	.endr
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	.set	bit, 0
	.irp	c, t,f,hi,ls,cc,cs,ne,eq,vc,vs,pl,mi,ge,lt,gt,le
	moveq	#1,%d0
	move.w	#\ccr,%ccr
	db\c	%d0,1f
	bra.s	2f
1:	bset	#bit,%d2
2:
	.set	bit, bit+1
	.endr
	move.w	%d2,(%a6)+
	.endm

	.text
	lea	RESULTS,%a6
	.irp	ccr, 0x00,0x01,0x02,0x04,0x08,0x0a,0x05,0x0f,0x1c
	conditions \ccr
	.endr
| DBRA counts down to -1: 6 passes from 5
	moveq	#5,%d0
	moveq	#0,%d1
1:	addq.w	#1,%d1
	dbra	%d0,1b
	move.l	%d0,(%a6)+
	move.l	%d1,(%a6)+
	rts
