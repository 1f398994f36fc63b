| TRAP #14 system calls as replays make them (the handler sits at 0x600).
| Results: D1 after 0x26 (kept), the routine's mark, the 0x22 and 0x0E
| addresses, D0 after an unknown function (kept).
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	moveq	#1,%d1
	pea	routine(%pc)
	move.w	#0x26,-(%sp)
	trap	#14
	addq.l	#6,%sp
	out	%d1
	out	0x4000
| timer A: control 1, data 123, vector 0x5000
	move.l	#0x5000,-(%sp)
	move.w	#123,-(%sp)
	move.w	#1,-(%sp)
	move.w	#0,-(%sp)
	move.w	#0x1f,-(%sp)
	trap	#14
	lea	12(%sp),%sp
| timer D: control 5, data 40, vector 0x5100
	move.l	#0x5100,-(%sp)
	move.w	#40,-(%sp)
	move.w	#5,-(%sp)
	move.w	#3,-(%sp)
	move.w	#0x1f,-(%sp)
	trap	#14
	lea	12(%sp),%sp
| timer C: control 3, data 50, vector 0x5200
	move.l	#0x5200,-(%sp)
	move.w	#50,-(%sp)
	move.w	#3,-(%sp)
	move.w	#2,-(%sp)
	move.w	#0x1f,-(%sp)
	trap	#14
	lea	12(%sp),%sp
	move.w	#0x22,-(%sp)
	trap	#14
	addq.l	#2,%sp
	out	%d0
	move.w	#1,-(%sp)
	move.w	#0x0e,-(%sp)
	trap	#14
	addq.l	#4,%sp
	out	%d0
	moveq	#-7,%d0
	move.w	#0x99,-(%sp)
	trap	#14
	addq.l	#2,%sp
	out	%d0
	rts

routine:
	move.l	#0xabcd,0x4000
	moveq	#9,%d1
	rts
