| TRAP #14 system calls for replay code. Runs at 0x600 (addresses that
| end up in memory are computed from that origin); entered with SR at
| 0(sp), the return PC at 2(sp) and the function number at 6(sp).
| Assemble: m68k-linux-gnu-as -m68000 trap14.s -o trap14.o
|           m68k-linux-gnu-objcopy -O binary -j .text trap14.o trap14.bin
	.equ	ORIGIN, 0x600
	.equ	SIZE, 308
	.equ	MFP_VR, 0xfffa17
	.equ	MFP_IERA, 0xfa07
	.equ	MFP_IERB, 0xfa09
	.equ	MFP_IMR_IER, 0x0c
	.text
start:
	cmp.w	#0x26,6(%sp)
	beq.s	supexec
	cmp.w	#0x1f,6(%sp)
	beq.s	xbtimer
	cmp.w	#0x22,6(%sp)
	beq.s	kbdvbase
	cmp.w	#0x0e,6(%sp)
	beq.s	iorec
	rte

| 0x26: call the routine whose address follows, all registers kept.
supexec:
	movem.l	%d0-%d7/%a0-%a6,-(%sp)
	move.l	60+8(%sp),%a0
	jsr	(%a0)
	movem.l	(%sp)+,%d0-%d7/%a0-%a6
	rte

| 0x22: D0 = a table of nine vectors that all return at once.
kbdvbase:
	lea	kbdv(%pc),%a0
	move.l	%a0,%d0
	rte

| 0x0E: D0 = a fixed, empty buffer record.
iorec:
	lea	iorec_rec(%pc),%a0
	move.l	%a0,%d0
	rte

| 0x1F: timer.w, control.w, data.w, vector.l. The timer is stopped first so
| that the MFP loads its counter with the new data, then the vector and the
| data are set, the control bits started, and the timer's interrupt enabled
| and unmasked, as the Atari's own Xbtimer does.
	.equ	SAVED, 20
	.equ	ARG_TIMER, 8+SAVED
	.equ	ARG_CTRL, 10+SAVED
	.equ	ARG_DATA, 12+SAVED
	.equ	ARG_VECTOR, 14+SAVED
xbtimer:
	movem.l	%d1-%d3/%a0-%a1,-(%sp)
	moveq	#3,%d1
	and.w	ARG_TIMER(%sp),%d1
	lsl.w	#4,%d1
	lea	timers(%pc),%a0
	adda.w	%d1,%a0
	move.l	(%a0),%a1
	move.b	(%a1),%d3
	and.b	8(%a0),%d3
	move.b	%d3,(%a1)
	moveq	#0,%d2
	move.b	MFP_VR,%d2
	and.b	#0xf0,%d2
	lsl.w	#2,%d2
	add.w	10(%a0),%d2
	move.l	%d2,%a1
	move.l	ARG_VECTOR(%sp),(%a1)
	move.l	4(%a0),%a1
	move.b	ARG_DATA+1(%sp),(%a1)
	move.b	ARG_CTRL+1(%sp),%d2
	move.b	9(%a0),%d1
	lsl.b	%d1,%d2
	move.b	8(%a0),%d1
	not.b	%d1
	and.b	%d1,%d2
	move.l	(%a0),%a1
	or.b	%d2,(%a1)
	move.w	12(%a0),%a1
	move.b	14(%a0),%d2
	or.b	%d2,(%a1)
	or.b	%d2,MFP_IMR_IER(%a1)
	movem.l	(%sp)+,%d1-%d3/%a0-%a1
	rte

ignore:
	rts

	.even
| Per timer: control register, data register, control bits kept for the
| other timer, shift of this timer's bits, vector offset, enable register of
| its bank (a short address; the mask register follows at +12), its bit in
| the enable and mask registers, padding.
timers:
	.long	0xfffa19, 0xfffa1f
	.byte	0x00, 0
	.word	0x34
	.word	MFP_IERA
	.byte	0x20, 0
	.long	0xfffa1b, 0xfffa21
	.byte	0x00, 0
	.word	0x20
	.word	MFP_IERA
	.byte	0x01, 0
	.long	0xfffa1d, 0xfffa23
	.byte	0x0f, 4
	.word	0x14
	.word	MFP_IERB
	.byte	0x20, 0
	.long	0xfffa1d, 0xfffa25
	.byte	0xf0, 0
	.word	0x10
	.word	MFP_IERB
	.byte	0x10, 0

kbdv:
	.rept	9
	.long	ORIGIN + (ignore - start)
	.endr

iorec_rec:
	.long	ORIGIN + (iobuf - start)
	.word	16, 0, 0, 4, 12
iobuf:
	.space	16

	.space	SIZE - (. - start)
