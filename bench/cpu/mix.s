| Replay-like inner loop: two 8-bit voices scaled by MULS, summed, shifted
| and stored, with a fractional step, DBRA, and register saves by MOVEM.
| Assemble: m68k-linux-gnu-as -m68000 mix.s -o mix.o
|           m68k-linux-gnu-objcopy -O binary -j .text mix.o mix.bin
	.text
	movem.l	%d0-%d6/%a0-%a2,-(%sp)
	lea	0x10000,%a0
	lea	0x14000,%a1
	lea	0x20000,%a2
	moveq	#40,%d5
	moveq	#50,%d6
	move.l	#0x8000,%d3
	moveq	#0,%d4
	move.w	#511,%d7
loop:
	move.b	(%a0)+,%d0
	ext.w	%d0
	muls	%d5,%d0
	move.b	(%a1,%d4.w),%d1
	ext.w	%d1
	muls	%d6,%d1
	add.l	%d1,%d0
	asr.l	#7,%d0
	move.w	%d0,(%a2)+
	swap	%d4
	add.l	%d3,%d4
	swap	%d4
	lsl.w	#1,%d2
	dbra	%d7,loop
	movem.l	(%sp)+,%d0-%d6/%a0-%a2
	rts
