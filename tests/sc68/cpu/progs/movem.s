| MOVEM in both directions through every mode, and MOVEP. Memory results
| are read back by the test; register results follow at RESULTS.
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	move.l	#0x11111111,%d1
	move.l	#0x22222222,%d2
	move.l	#0x33333333,%d3
	move.l	#0x44444444,%a0
| predecrement: stored in register order, lowest address first
	lea	0x3010,%a1
	movem.l	%d1-%d3/%a0,-(%a1)
	out	%a1
| predecrement with the base in the list stores its first value
	lea	0x3030,%a2
	movem.l	%a2,-(%a2)
	out	%a2
| control modes: (An), d16(An), d8(An,Xn), abs.w, abs.l
	lea	0x3040,%a3
	movem.w	%d1-%d2,(%a3)
	movem.w	%d3,4(%a3)
	moveq	#6,%d0
	movem.w	%d1,(%a3,%d0.w)
	movem.l	%d2,0x3050
	movem.l	%d3,0x00003054
| postincrement: words are sign-extended into every register
	move.w	#0x8001,0x3060
	move.w	#0x7ffe,0x3062
	move.w	#0xfffe,0x3064
	lea	0x3060,%a4
	movem.w	(%a4)+,%d4-%d5/%a5
	out	%d4
	out	%d5
	out	%a5
	out	%a4
| postincrement with the base in the list ends at the incremented address
	lea	0x3000,%a4
	movem.l	(%a4)+,%d4/%a4
	out	%d4
	out	%a4
| loads through the control modes
	lea	0x3040,%a3
	movem.l	(%a3),%d4
	out	%d4
	movem.w	2(%a3),%d5
	out	%d5
	moveq	#4,%d0
	movem.l	(%a3,%d0.w),%d6
	out	%d6
	movem.l	0x3050,%d7
	out	%d7
	movem.l	0x00003054,%d7
	out	%d7
	movem.l	pcdata(%pc),%d7
	out	%d7
	lea	pcdata(%pc),%a0
	moveq	#0,%d0
	movem.l	4(%pc,%d0.w),%d7
	bra.s	1f
	.long	0xcafef00d
1:	out	%d7
| MOVEP: alternate bytes
	lea	0x3080,%a0
	move.l	#0x12345678,%d0
	movep.l	%d0,1(%a0)
	move.w	#0xabcd,%d0
	movep.w	%d0,9(%a0)
	moveq	#0,%d1
	movep.l	1(%a0),%d1
	out	%d1
	move.l	#0xffffffff,%d2
	movep.w	9(%a0),%d2
	out	%d2
	rts
pcdata:
	.long	0x5a5aa5a5
