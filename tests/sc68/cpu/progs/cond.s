| Scc, Bcc and DBcc on all 16 conditions for each CCR value. Per CCR: 16
| Scc bytes, then a word with bit n set when Bcc n branched, then a word
| with bit n set when DBcc n fell through to its counter (condition false).
	.include "common.inc"
	.text
	lea	RESULTS,%a6
	move.w	#0x00,%ccr
	st	(%a6)+
	move.w	#0x00,%ccr
	sf	(%a6)+
	move.w	#0x00,%ccr
	shi	(%a6)+
	move.w	#0x00,%ccr
	sls	(%a6)+
	move.w	#0x00,%ccr
	scc	(%a6)+
	move.w	#0x00,%ccr
	scs	(%a6)+
	move.w	#0x00,%ccr
	sne	(%a6)+
	move.w	#0x00,%ccr
	seq	(%a6)+
	move.w	#0x00,%ccr
	svc	(%a6)+
	move.w	#0x00,%ccr
	svs	(%a6)+
	move.w	#0x00,%ccr
	spl	(%a6)+
	move.w	#0x00,%ccr
	smi	(%a6)+
	move.w	#0x00,%ccr
	sge	(%a6)+
	move.w	#0x00,%ccr
	slt	(%a6)+
	move.w	#0x00,%ccr
	sgt	(%a6)+
	move.w	#0x00,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x00,%ccr
	bra.s	b0
	bra.s	n0
b0:	bset	#0,%d2
n0:
	move.w	#0x00,%ccr
	bhi.s	b1
	bra.s	n1
b1:	bset	#2,%d2
n1:
	move.w	#0x00,%ccr
	bls.s	b2
	bra.s	n2
b2:	bset	#3,%d2
n2:
	move.w	#0x00,%ccr
	bcc.s	b3
	bra.s	n3
b3:	bset	#4,%d2
n3:
	move.w	#0x00,%ccr
	bcs.s	b4
	bra.s	n4
b4:	bset	#5,%d2
n4:
	move.w	#0x00,%ccr
	bne.s	b5
	bra.s	n5
b5:	bset	#6,%d2
n5:
	move.w	#0x00,%ccr
	beq.s	b6
	bra.s	n6
b6:	bset	#7,%d2
n6:
	move.w	#0x00,%ccr
	bvc.s	b7
	bra.s	n7
b7:	bset	#8,%d2
n7:
	move.w	#0x00,%ccr
	bvs.s	b8
	bra.s	n8
b8:	bset	#9,%d2
n8:
	move.w	#0x00,%ccr
	bpl.s	b9
	bra.s	n9
b9:	bset	#10,%d2
n9:
	move.w	#0x00,%ccr
	bmi.s	b10
	bra.s	n10
b10:	bset	#11,%d2
n10:
	move.w	#0x00,%ccr
	bge.s	b11
	bra.s	n11
b11:	bset	#12,%d2
n11:
	move.w	#0x00,%ccr
	blt.s	b12
	bra.s	n12
b12:	bset	#13,%d2
n12:
	move.w	#0x00,%ccr
	bgt.s	b13
	bra.s	n13
b13:	bset	#14,%d2
n13:
	move.w	#0x00,%ccr
	ble.s	b14
	bra.s	n14
b14:	bset	#15,%d2
n14:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbt	%d0,d15
	bra.s	n15
d15:	bset	#0,%d2
n15:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbf	%d0,d16
	bra.s	n16
d16:	bset	#1,%d2
n16:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbhi	%d0,d17
	bra.s	n17
d17:	bset	#2,%d2
n17:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbls	%d0,d18
	bra.s	n18
d18:	bset	#3,%d2
n18:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbcc	%d0,d19
	bra.s	n19
d19:	bset	#4,%d2
n19:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbcs	%d0,d20
	bra.s	n20
d20:	bset	#5,%d2
n20:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbne	%d0,d21
	bra.s	n21
d21:	bset	#6,%d2
n21:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbeq	%d0,d22
	bra.s	n22
d22:	bset	#7,%d2
n22:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbvc	%d0,d23
	bra.s	n23
d23:	bset	#8,%d2
n23:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbvs	%d0,d24
	bra.s	n24
d24:	bset	#9,%d2
n24:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbpl	%d0,d25
	bra.s	n25
d25:	bset	#10,%d2
n25:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbmi	%d0,d26
	bra.s	n26
d26:	bset	#11,%d2
n26:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbge	%d0,d27
	bra.s	n27
d27:	bset	#12,%d2
n27:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dblt	%d0,d28
	bra.s	n28
d28:	bset	#13,%d2
n28:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dbgt	%d0,d29
	bra.s	n29
d29:	bset	#14,%d2
n29:
	moveq	#1,%d0
	move.w	#0x00,%ccr
	dble	%d0,d30
	bra.s	n30
d30:	bset	#15,%d2
n30:
	move.w	%d2,(%a6)+
	move.w	#0x01,%ccr
	st	(%a6)+
	move.w	#0x01,%ccr
	sf	(%a6)+
	move.w	#0x01,%ccr
	shi	(%a6)+
	move.w	#0x01,%ccr
	sls	(%a6)+
	move.w	#0x01,%ccr
	scc	(%a6)+
	move.w	#0x01,%ccr
	scs	(%a6)+
	move.w	#0x01,%ccr
	sne	(%a6)+
	move.w	#0x01,%ccr
	seq	(%a6)+
	move.w	#0x01,%ccr
	svc	(%a6)+
	move.w	#0x01,%ccr
	svs	(%a6)+
	move.w	#0x01,%ccr
	spl	(%a6)+
	move.w	#0x01,%ccr
	smi	(%a6)+
	move.w	#0x01,%ccr
	sge	(%a6)+
	move.w	#0x01,%ccr
	slt	(%a6)+
	move.w	#0x01,%ccr
	sgt	(%a6)+
	move.w	#0x01,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x01,%ccr
	bra.s	b31
	bra.s	n31
b31:	bset	#0,%d2
n31:
	move.w	#0x01,%ccr
	bhi.s	b32
	bra.s	n32
b32:	bset	#2,%d2
n32:
	move.w	#0x01,%ccr
	bls.s	b33
	bra.s	n33
b33:	bset	#3,%d2
n33:
	move.w	#0x01,%ccr
	bcc.s	b34
	bra.s	n34
b34:	bset	#4,%d2
n34:
	move.w	#0x01,%ccr
	bcs.s	b35
	bra.s	n35
b35:	bset	#5,%d2
n35:
	move.w	#0x01,%ccr
	bne.s	b36
	bra.s	n36
b36:	bset	#6,%d2
n36:
	move.w	#0x01,%ccr
	beq.s	b37
	bra.s	n37
b37:	bset	#7,%d2
n37:
	move.w	#0x01,%ccr
	bvc.s	b38
	bra.s	n38
b38:	bset	#8,%d2
n38:
	move.w	#0x01,%ccr
	bvs.s	b39
	bra.s	n39
b39:	bset	#9,%d2
n39:
	move.w	#0x01,%ccr
	bpl.s	b40
	bra.s	n40
b40:	bset	#10,%d2
n40:
	move.w	#0x01,%ccr
	bmi.s	b41
	bra.s	n41
b41:	bset	#11,%d2
n41:
	move.w	#0x01,%ccr
	bge.s	b42
	bra.s	n42
b42:	bset	#12,%d2
n42:
	move.w	#0x01,%ccr
	blt.s	b43
	bra.s	n43
b43:	bset	#13,%d2
n43:
	move.w	#0x01,%ccr
	bgt.s	b44
	bra.s	n44
b44:	bset	#14,%d2
n44:
	move.w	#0x01,%ccr
	ble.s	b45
	bra.s	n45
b45:	bset	#15,%d2
n45:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbt	%d0,d46
	bra.s	n46
d46:	bset	#0,%d2
n46:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbf	%d0,d47
	bra.s	n47
d47:	bset	#1,%d2
n47:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbhi	%d0,d48
	bra.s	n48
d48:	bset	#2,%d2
n48:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbls	%d0,d49
	bra.s	n49
d49:	bset	#3,%d2
n49:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbcc	%d0,d50
	bra.s	n50
d50:	bset	#4,%d2
n50:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbcs	%d0,d51
	bra.s	n51
d51:	bset	#5,%d2
n51:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbne	%d0,d52
	bra.s	n52
d52:	bset	#6,%d2
n52:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbeq	%d0,d53
	bra.s	n53
d53:	bset	#7,%d2
n53:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbvc	%d0,d54
	bra.s	n54
d54:	bset	#8,%d2
n54:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbvs	%d0,d55
	bra.s	n55
d55:	bset	#9,%d2
n55:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbpl	%d0,d56
	bra.s	n56
d56:	bset	#10,%d2
n56:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbmi	%d0,d57
	bra.s	n57
d57:	bset	#11,%d2
n57:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbge	%d0,d58
	bra.s	n58
d58:	bset	#12,%d2
n58:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dblt	%d0,d59
	bra.s	n59
d59:	bset	#13,%d2
n59:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dbgt	%d0,d60
	bra.s	n60
d60:	bset	#14,%d2
n60:
	moveq	#1,%d0
	move.w	#0x01,%ccr
	dble	%d0,d61
	bra.s	n61
d61:	bset	#15,%d2
n61:
	move.w	%d2,(%a6)+
	move.w	#0x02,%ccr
	st	(%a6)+
	move.w	#0x02,%ccr
	sf	(%a6)+
	move.w	#0x02,%ccr
	shi	(%a6)+
	move.w	#0x02,%ccr
	sls	(%a6)+
	move.w	#0x02,%ccr
	scc	(%a6)+
	move.w	#0x02,%ccr
	scs	(%a6)+
	move.w	#0x02,%ccr
	sne	(%a6)+
	move.w	#0x02,%ccr
	seq	(%a6)+
	move.w	#0x02,%ccr
	svc	(%a6)+
	move.w	#0x02,%ccr
	svs	(%a6)+
	move.w	#0x02,%ccr
	spl	(%a6)+
	move.w	#0x02,%ccr
	smi	(%a6)+
	move.w	#0x02,%ccr
	sge	(%a6)+
	move.w	#0x02,%ccr
	slt	(%a6)+
	move.w	#0x02,%ccr
	sgt	(%a6)+
	move.w	#0x02,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x02,%ccr
	bra.s	b62
	bra.s	n62
b62:	bset	#0,%d2
n62:
	move.w	#0x02,%ccr
	bhi.s	b63
	bra.s	n63
b63:	bset	#2,%d2
n63:
	move.w	#0x02,%ccr
	bls.s	b64
	bra.s	n64
b64:	bset	#3,%d2
n64:
	move.w	#0x02,%ccr
	bcc.s	b65
	bra.s	n65
b65:	bset	#4,%d2
n65:
	move.w	#0x02,%ccr
	bcs.s	b66
	bra.s	n66
b66:	bset	#5,%d2
n66:
	move.w	#0x02,%ccr
	bne.s	b67
	bra.s	n67
b67:	bset	#6,%d2
n67:
	move.w	#0x02,%ccr
	beq.s	b68
	bra.s	n68
b68:	bset	#7,%d2
n68:
	move.w	#0x02,%ccr
	bvc.s	b69
	bra.s	n69
b69:	bset	#8,%d2
n69:
	move.w	#0x02,%ccr
	bvs.s	b70
	bra.s	n70
b70:	bset	#9,%d2
n70:
	move.w	#0x02,%ccr
	bpl.s	b71
	bra.s	n71
b71:	bset	#10,%d2
n71:
	move.w	#0x02,%ccr
	bmi.s	b72
	bra.s	n72
b72:	bset	#11,%d2
n72:
	move.w	#0x02,%ccr
	bge.s	b73
	bra.s	n73
b73:	bset	#12,%d2
n73:
	move.w	#0x02,%ccr
	blt.s	b74
	bra.s	n74
b74:	bset	#13,%d2
n74:
	move.w	#0x02,%ccr
	bgt.s	b75
	bra.s	n75
b75:	bset	#14,%d2
n75:
	move.w	#0x02,%ccr
	ble.s	b76
	bra.s	n76
b76:	bset	#15,%d2
n76:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbt	%d0,d77
	bra.s	n77
d77:	bset	#0,%d2
n77:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbf	%d0,d78
	bra.s	n78
d78:	bset	#1,%d2
n78:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbhi	%d0,d79
	bra.s	n79
d79:	bset	#2,%d2
n79:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbls	%d0,d80
	bra.s	n80
d80:	bset	#3,%d2
n80:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbcc	%d0,d81
	bra.s	n81
d81:	bset	#4,%d2
n81:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbcs	%d0,d82
	bra.s	n82
d82:	bset	#5,%d2
n82:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbne	%d0,d83
	bra.s	n83
d83:	bset	#6,%d2
n83:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbeq	%d0,d84
	bra.s	n84
d84:	bset	#7,%d2
n84:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbvc	%d0,d85
	bra.s	n85
d85:	bset	#8,%d2
n85:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbvs	%d0,d86
	bra.s	n86
d86:	bset	#9,%d2
n86:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbpl	%d0,d87
	bra.s	n87
d87:	bset	#10,%d2
n87:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbmi	%d0,d88
	bra.s	n88
d88:	bset	#11,%d2
n88:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbge	%d0,d89
	bra.s	n89
d89:	bset	#12,%d2
n89:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dblt	%d0,d90
	bra.s	n90
d90:	bset	#13,%d2
n90:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dbgt	%d0,d91
	bra.s	n91
d91:	bset	#14,%d2
n91:
	moveq	#1,%d0
	move.w	#0x02,%ccr
	dble	%d0,d92
	bra.s	n92
d92:	bset	#15,%d2
n92:
	move.w	%d2,(%a6)+
	move.w	#0x04,%ccr
	st	(%a6)+
	move.w	#0x04,%ccr
	sf	(%a6)+
	move.w	#0x04,%ccr
	shi	(%a6)+
	move.w	#0x04,%ccr
	sls	(%a6)+
	move.w	#0x04,%ccr
	scc	(%a6)+
	move.w	#0x04,%ccr
	scs	(%a6)+
	move.w	#0x04,%ccr
	sne	(%a6)+
	move.w	#0x04,%ccr
	seq	(%a6)+
	move.w	#0x04,%ccr
	svc	(%a6)+
	move.w	#0x04,%ccr
	svs	(%a6)+
	move.w	#0x04,%ccr
	spl	(%a6)+
	move.w	#0x04,%ccr
	smi	(%a6)+
	move.w	#0x04,%ccr
	sge	(%a6)+
	move.w	#0x04,%ccr
	slt	(%a6)+
	move.w	#0x04,%ccr
	sgt	(%a6)+
	move.w	#0x04,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x04,%ccr
	bra.s	b93
	bra.s	n93
b93:	bset	#0,%d2
n93:
	move.w	#0x04,%ccr
	bhi.s	b94
	bra.s	n94
b94:	bset	#2,%d2
n94:
	move.w	#0x04,%ccr
	bls.s	b95
	bra.s	n95
b95:	bset	#3,%d2
n95:
	move.w	#0x04,%ccr
	bcc.s	b96
	bra.s	n96
b96:	bset	#4,%d2
n96:
	move.w	#0x04,%ccr
	bcs.s	b97
	bra.s	n97
b97:	bset	#5,%d2
n97:
	move.w	#0x04,%ccr
	bne.s	b98
	bra.s	n98
b98:	bset	#6,%d2
n98:
	move.w	#0x04,%ccr
	beq.s	b99
	bra.s	n99
b99:	bset	#7,%d2
n99:
	move.w	#0x04,%ccr
	bvc.s	b100
	bra.s	n100
b100:	bset	#8,%d2
n100:
	move.w	#0x04,%ccr
	bvs.s	b101
	bra.s	n101
b101:	bset	#9,%d2
n101:
	move.w	#0x04,%ccr
	bpl.s	b102
	bra.s	n102
b102:	bset	#10,%d2
n102:
	move.w	#0x04,%ccr
	bmi.s	b103
	bra.s	n103
b103:	bset	#11,%d2
n103:
	move.w	#0x04,%ccr
	bge.s	b104
	bra.s	n104
b104:	bset	#12,%d2
n104:
	move.w	#0x04,%ccr
	blt.s	b105
	bra.s	n105
b105:	bset	#13,%d2
n105:
	move.w	#0x04,%ccr
	bgt.s	b106
	bra.s	n106
b106:	bset	#14,%d2
n106:
	move.w	#0x04,%ccr
	ble.s	b107
	bra.s	n107
b107:	bset	#15,%d2
n107:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbt	%d0,d108
	bra.s	n108
d108:	bset	#0,%d2
n108:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbf	%d0,d109
	bra.s	n109
d109:	bset	#1,%d2
n109:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbhi	%d0,d110
	bra.s	n110
d110:	bset	#2,%d2
n110:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbls	%d0,d111
	bra.s	n111
d111:	bset	#3,%d2
n111:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbcc	%d0,d112
	bra.s	n112
d112:	bset	#4,%d2
n112:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbcs	%d0,d113
	bra.s	n113
d113:	bset	#5,%d2
n113:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbne	%d0,d114
	bra.s	n114
d114:	bset	#6,%d2
n114:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbeq	%d0,d115
	bra.s	n115
d115:	bset	#7,%d2
n115:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbvc	%d0,d116
	bra.s	n116
d116:	bset	#8,%d2
n116:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbvs	%d0,d117
	bra.s	n117
d117:	bset	#9,%d2
n117:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbpl	%d0,d118
	bra.s	n118
d118:	bset	#10,%d2
n118:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbmi	%d0,d119
	bra.s	n119
d119:	bset	#11,%d2
n119:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbge	%d0,d120
	bra.s	n120
d120:	bset	#12,%d2
n120:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dblt	%d0,d121
	bra.s	n121
d121:	bset	#13,%d2
n121:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dbgt	%d0,d122
	bra.s	n122
d122:	bset	#14,%d2
n122:
	moveq	#1,%d0
	move.w	#0x04,%ccr
	dble	%d0,d123
	bra.s	n123
d123:	bset	#15,%d2
n123:
	move.w	%d2,(%a6)+
	move.w	#0x08,%ccr
	st	(%a6)+
	move.w	#0x08,%ccr
	sf	(%a6)+
	move.w	#0x08,%ccr
	shi	(%a6)+
	move.w	#0x08,%ccr
	sls	(%a6)+
	move.w	#0x08,%ccr
	scc	(%a6)+
	move.w	#0x08,%ccr
	scs	(%a6)+
	move.w	#0x08,%ccr
	sne	(%a6)+
	move.w	#0x08,%ccr
	seq	(%a6)+
	move.w	#0x08,%ccr
	svc	(%a6)+
	move.w	#0x08,%ccr
	svs	(%a6)+
	move.w	#0x08,%ccr
	spl	(%a6)+
	move.w	#0x08,%ccr
	smi	(%a6)+
	move.w	#0x08,%ccr
	sge	(%a6)+
	move.w	#0x08,%ccr
	slt	(%a6)+
	move.w	#0x08,%ccr
	sgt	(%a6)+
	move.w	#0x08,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x08,%ccr
	bra.s	b124
	bra.s	n124
b124:	bset	#0,%d2
n124:
	move.w	#0x08,%ccr
	bhi.s	b125
	bra.s	n125
b125:	bset	#2,%d2
n125:
	move.w	#0x08,%ccr
	bls.s	b126
	bra.s	n126
b126:	bset	#3,%d2
n126:
	move.w	#0x08,%ccr
	bcc.s	b127
	bra.s	n127
b127:	bset	#4,%d2
n127:
	move.w	#0x08,%ccr
	bcs.s	b128
	bra.s	n128
b128:	bset	#5,%d2
n128:
	move.w	#0x08,%ccr
	bne.s	b129
	bra.s	n129
b129:	bset	#6,%d2
n129:
	move.w	#0x08,%ccr
	beq.s	b130
	bra.s	n130
b130:	bset	#7,%d2
n130:
	move.w	#0x08,%ccr
	bvc.s	b131
	bra.s	n131
b131:	bset	#8,%d2
n131:
	move.w	#0x08,%ccr
	bvs.s	b132
	bra.s	n132
b132:	bset	#9,%d2
n132:
	move.w	#0x08,%ccr
	bpl.s	b133
	bra.s	n133
b133:	bset	#10,%d2
n133:
	move.w	#0x08,%ccr
	bmi.s	b134
	bra.s	n134
b134:	bset	#11,%d2
n134:
	move.w	#0x08,%ccr
	bge.s	b135
	bra.s	n135
b135:	bset	#12,%d2
n135:
	move.w	#0x08,%ccr
	blt.s	b136
	bra.s	n136
b136:	bset	#13,%d2
n136:
	move.w	#0x08,%ccr
	bgt.s	b137
	bra.s	n137
b137:	bset	#14,%d2
n137:
	move.w	#0x08,%ccr
	ble.s	b138
	bra.s	n138
b138:	bset	#15,%d2
n138:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbt	%d0,d139
	bra.s	n139
d139:	bset	#0,%d2
n139:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbf	%d0,d140
	bra.s	n140
d140:	bset	#1,%d2
n140:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbhi	%d0,d141
	bra.s	n141
d141:	bset	#2,%d2
n141:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbls	%d0,d142
	bra.s	n142
d142:	bset	#3,%d2
n142:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbcc	%d0,d143
	bra.s	n143
d143:	bset	#4,%d2
n143:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbcs	%d0,d144
	bra.s	n144
d144:	bset	#5,%d2
n144:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbne	%d0,d145
	bra.s	n145
d145:	bset	#6,%d2
n145:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbeq	%d0,d146
	bra.s	n146
d146:	bset	#7,%d2
n146:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbvc	%d0,d147
	bra.s	n147
d147:	bset	#8,%d2
n147:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbvs	%d0,d148
	bra.s	n148
d148:	bset	#9,%d2
n148:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbpl	%d0,d149
	bra.s	n149
d149:	bset	#10,%d2
n149:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbmi	%d0,d150
	bra.s	n150
d150:	bset	#11,%d2
n150:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbge	%d0,d151
	bra.s	n151
d151:	bset	#12,%d2
n151:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dblt	%d0,d152
	bra.s	n152
d152:	bset	#13,%d2
n152:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dbgt	%d0,d153
	bra.s	n153
d153:	bset	#14,%d2
n153:
	moveq	#1,%d0
	move.w	#0x08,%ccr
	dble	%d0,d154
	bra.s	n154
d154:	bset	#15,%d2
n154:
	move.w	%d2,(%a6)+
	move.w	#0x0a,%ccr
	st	(%a6)+
	move.w	#0x0a,%ccr
	sf	(%a6)+
	move.w	#0x0a,%ccr
	shi	(%a6)+
	move.w	#0x0a,%ccr
	sls	(%a6)+
	move.w	#0x0a,%ccr
	scc	(%a6)+
	move.w	#0x0a,%ccr
	scs	(%a6)+
	move.w	#0x0a,%ccr
	sne	(%a6)+
	move.w	#0x0a,%ccr
	seq	(%a6)+
	move.w	#0x0a,%ccr
	svc	(%a6)+
	move.w	#0x0a,%ccr
	svs	(%a6)+
	move.w	#0x0a,%ccr
	spl	(%a6)+
	move.w	#0x0a,%ccr
	smi	(%a6)+
	move.w	#0x0a,%ccr
	sge	(%a6)+
	move.w	#0x0a,%ccr
	slt	(%a6)+
	move.w	#0x0a,%ccr
	sgt	(%a6)+
	move.w	#0x0a,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x0a,%ccr
	bra.s	b155
	bra.s	n155
b155:	bset	#0,%d2
n155:
	move.w	#0x0a,%ccr
	bhi.s	b156
	bra.s	n156
b156:	bset	#2,%d2
n156:
	move.w	#0x0a,%ccr
	bls.s	b157
	bra.s	n157
b157:	bset	#3,%d2
n157:
	move.w	#0x0a,%ccr
	bcc.s	b158
	bra.s	n158
b158:	bset	#4,%d2
n158:
	move.w	#0x0a,%ccr
	bcs.s	b159
	bra.s	n159
b159:	bset	#5,%d2
n159:
	move.w	#0x0a,%ccr
	bne.s	b160
	bra.s	n160
b160:	bset	#6,%d2
n160:
	move.w	#0x0a,%ccr
	beq.s	b161
	bra.s	n161
b161:	bset	#7,%d2
n161:
	move.w	#0x0a,%ccr
	bvc.s	b162
	bra.s	n162
b162:	bset	#8,%d2
n162:
	move.w	#0x0a,%ccr
	bvs.s	b163
	bra.s	n163
b163:	bset	#9,%d2
n163:
	move.w	#0x0a,%ccr
	bpl.s	b164
	bra.s	n164
b164:	bset	#10,%d2
n164:
	move.w	#0x0a,%ccr
	bmi.s	b165
	bra.s	n165
b165:	bset	#11,%d2
n165:
	move.w	#0x0a,%ccr
	bge.s	b166
	bra.s	n166
b166:	bset	#12,%d2
n166:
	move.w	#0x0a,%ccr
	blt.s	b167
	bra.s	n167
b167:	bset	#13,%d2
n167:
	move.w	#0x0a,%ccr
	bgt.s	b168
	bra.s	n168
b168:	bset	#14,%d2
n168:
	move.w	#0x0a,%ccr
	ble.s	b169
	bra.s	n169
b169:	bset	#15,%d2
n169:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbt	%d0,d170
	bra.s	n170
d170:	bset	#0,%d2
n170:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbf	%d0,d171
	bra.s	n171
d171:	bset	#1,%d2
n171:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbhi	%d0,d172
	bra.s	n172
d172:	bset	#2,%d2
n172:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbls	%d0,d173
	bra.s	n173
d173:	bset	#3,%d2
n173:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbcc	%d0,d174
	bra.s	n174
d174:	bset	#4,%d2
n174:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbcs	%d0,d175
	bra.s	n175
d175:	bset	#5,%d2
n175:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbne	%d0,d176
	bra.s	n176
d176:	bset	#6,%d2
n176:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbeq	%d0,d177
	bra.s	n177
d177:	bset	#7,%d2
n177:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbvc	%d0,d178
	bra.s	n178
d178:	bset	#8,%d2
n178:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbvs	%d0,d179
	bra.s	n179
d179:	bset	#9,%d2
n179:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbpl	%d0,d180
	bra.s	n180
d180:	bset	#10,%d2
n180:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbmi	%d0,d181
	bra.s	n181
d181:	bset	#11,%d2
n181:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbge	%d0,d182
	bra.s	n182
d182:	bset	#12,%d2
n182:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dblt	%d0,d183
	bra.s	n183
d183:	bset	#13,%d2
n183:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dbgt	%d0,d184
	bra.s	n184
d184:	bset	#14,%d2
n184:
	moveq	#1,%d0
	move.w	#0x0a,%ccr
	dble	%d0,d185
	bra.s	n185
d185:	bset	#15,%d2
n185:
	move.w	%d2,(%a6)+
	move.w	#0x05,%ccr
	st	(%a6)+
	move.w	#0x05,%ccr
	sf	(%a6)+
	move.w	#0x05,%ccr
	shi	(%a6)+
	move.w	#0x05,%ccr
	sls	(%a6)+
	move.w	#0x05,%ccr
	scc	(%a6)+
	move.w	#0x05,%ccr
	scs	(%a6)+
	move.w	#0x05,%ccr
	sne	(%a6)+
	move.w	#0x05,%ccr
	seq	(%a6)+
	move.w	#0x05,%ccr
	svc	(%a6)+
	move.w	#0x05,%ccr
	svs	(%a6)+
	move.w	#0x05,%ccr
	spl	(%a6)+
	move.w	#0x05,%ccr
	smi	(%a6)+
	move.w	#0x05,%ccr
	sge	(%a6)+
	move.w	#0x05,%ccr
	slt	(%a6)+
	move.w	#0x05,%ccr
	sgt	(%a6)+
	move.w	#0x05,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x05,%ccr
	bra.s	b186
	bra.s	n186
b186:	bset	#0,%d2
n186:
	move.w	#0x05,%ccr
	bhi.s	b187
	bra.s	n187
b187:	bset	#2,%d2
n187:
	move.w	#0x05,%ccr
	bls.s	b188
	bra.s	n188
b188:	bset	#3,%d2
n188:
	move.w	#0x05,%ccr
	bcc.s	b189
	bra.s	n189
b189:	bset	#4,%d2
n189:
	move.w	#0x05,%ccr
	bcs.s	b190
	bra.s	n190
b190:	bset	#5,%d2
n190:
	move.w	#0x05,%ccr
	bne.s	b191
	bra.s	n191
b191:	bset	#6,%d2
n191:
	move.w	#0x05,%ccr
	beq.s	b192
	bra.s	n192
b192:	bset	#7,%d2
n192:
	move.w	#0x05,%ccr
	bvc.s	b193
	bra.s	n193
b193:	bset	#8,%d2
n193:
	move.w	#0x05,%ccr
	bvs.s	b194
	bra.s	n194
b194:	bset	#9,%d2
n194:
	move.w	#0x05,%ccr
	bpl.s	b195
	bra.s	n195
b195:	bset	#10,%d2
n195:
	move.w	#0x05,%ccr
	bmi.s	b196
	bra.s	n196
b196:	bset	#11,%d2
n196:
	move.w	#0x05,%ccr
	bge.s	b197
	bra.s	n197
b197:	bset	#12,%d2
n197:
	move.w	#0x05,%ccr
	blt.s	b198
	bra.s	n198
b198:	bset	#13,%d2
n198:
	move.w	#0x05,%ccr
	bgt.s	b199
	bra.s	n199
b199:	bset	#14,%d2
n199:
	move.w	#0x05,%ccr
	ble.s	b200
	bra.s	n200
b200:	bset	#15,%d2
n200:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbt	%d0,d201
	bra.s	n201
d201:	bset	#0,%d2
n201:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbf	%d0,d202
	bra.s	n202
d202:	bset	#1,%d2
n202:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbhi	%d0,d203
	bra.s	n203
d203:	bset	#2,%d2
n203:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbls	%d0,d204
	bra.s	n204
d204:	bset	#3,%d2
n204:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbcc	%d0,d205
	bra.s	n205
d205:	bset	#4,%d2
n205:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbcs	%d0,d206
	bra.s	n206
d206:	bset	#5,%d2
n206:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbne	%d0,d207
	bra.s	n207
d207:	bset	#6,%d2
n207:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbeq	%d0,d208
	bra.s	n208
d208:	bset	#7,%d2
n208:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbvc	%d0,d209
	bra.s	n209
d209:	bset	#8,%d2
n209:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbvs	%d0,d210
	bra.s	n210
d210:	bset	#9,%d2
n210:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbpl	%d0,d211
	bra.s	n211
d211:	bset	#10,%d2
n211:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbmi	%d0,d212
	bra.s	n212
d212:	bset	#11,%d2
n212:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbge	%d0,d213
	bra.s	n213
d213:	bset	#12,%d2
n213:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dblt	%d0,d214
	bra.s	n214
d214:	bset	#13,%d2
n214:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dbgt	%d0,d215
	bra.s	n215
d215:	bset	#14,%d2
n215:
	moveq	#1,%d0
	move.w	#0x05,%ccr
	dble	%d0,d216
	bra.s	n216
d216:	bset	#15,%d2
n216:
	move.w	%d2,(%a6)+
	move.w	#0x0f,%ccr
	st	(%a6)+
	move.w	#0x0f,%ccr
	sf	(%a6)+
	move.w	#0x0f,%ccr
	shi	(%a6)+
	move.w	#0x0f,%ccr
	sls	(%a6)+
	move.w	#0x0f,%ccr
	scc	(%a6)+
	move.w	#0x0f,%ccr
	scs	(%a6)+
	move.w	#0x0f,%ccr
	sne	(%a6)+
	move.w	#0x0f,%ccr
	seq	(%a6)+
	move.w	#0x0f,%ccr
	svc	(%a6)+
	move.w	#0x0f,%ccr
	svs	(%a6)+
	move.w	#0x0f,%ccr
	spl	(%a6)+
	move.w	#0x0f,%ccr
	smi	(%a6)+
	move.w	#0x0f,%ccr
	sge	(%a6)+
	move.w	#0x0f,%ccr
	slt	(%a6)+
	move.w	#0x0f,%ccr
	sgt	(%a6)+
	move.w	#0x0f,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x0f,%ccr
	bra.s	b217
	bra.s	n217
b217:	bset	#0,%d2
n217:
	move.w	#0x0f,%ccr
	bhi.s	b218
	bra.s	n218
b218:	bset	#2,%d2
n218:
	move.w	#0x0f,%ccr
	bls.s	b219
	bra.s	n219
b219:	bset	#3,%d2
n219:
	move.w	#0x0f,%ccr
	bcc.s	b220
	bra.s	n220
b220:	bset	#4,%d2
n220:
	move.w	#0x0f,%ccr
	bcs.s	b221
	bra.s	n221
b221:	bset	#5,%d2
n221:
	move.w	#0x0f,%ccr
	bne.s	b222
	bra.s	n222
b222:	bset	#6,%d2
n222:
	move.w	#0x0f,%ccr
	beq.s	b223
	bra.s	n223
b223:	bset	#7,%d2
n223:
	move.w	#0x0f,%ccr
	bvc.s	b224
	bra.s	n224
b224:	bset	#8,%d2
n224:
	move.w	#0x0f,%ccr
	bvs.s	b225
	bra.s	n225
b225:	bset	#9,%d2
n225:
	move.w	#0x0f,%ccr
	bpl.s	b226
	bra.s	n226
b226:	bset	#10,%d2
n226:
	move.w	#0x0f,%ccr
	bmi.s	b227
	bra.s	n227
b227:	bset	#11,%d2
n227:
	move.w	#0x0f,%ccr
	bge.s	b228
	bra.s	n228
b228:	bset	#12,%d2
n228:
	move.w	#0x0f,%ccr
	blt.s	b229
	bra.s	n229
b229:	bset	#13,%d2
n229:
	move.w	#0x0f,%ccr
	bgt.s	b230
	bra.s	n230
b230:	bset	#14,%d2
n230:
	move.w	#0x0f,%ccr
	ble.s	b231
	bra.s	n231
b231:	bset	#15,%d2
n231:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbt	%d0,d232
	bra.s	n232
d232:	bset	#0,%d2
n232:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbf	%d0,d233
	bra.s	n233
d233:	bset	#1,%d2
n233:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbhi	%d0,d234
	bra.s	n234
d234:	bset	#2,%d2
n234:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbls	%d0,d235
	bra.s	n235
d235:	bset	#3,%d2
n235:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbcc	%d0,d236
	bra.s	n236
d236:	bset	#4,%d2
n236:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbcs	%d0,d237
	bra.s	n237
d237:	bset	#5,%d2
n237:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbne	%d0,d238
	bra.s	n238
d238:	bset	#6,%d2
n238:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbeq	%d0,d239
	bra.s	n239
d239:	bset	#7,%d2
n239:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbvc	%d0,d240
	bra.s	n240
d240:	bset	#8,%d2
n240:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbvs	%d0,d241
	bra.s	n241
d241:	bset	#9,%d2
n241:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbpl	%d0,d242
	bra.s	n242
d242:	bset	#10,%d2
n242:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbmi	%d0,d243
	bra.s	n243
d243:	bset	#11,%d2
n243:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbge	%d0,d244
	bra.s	n244
d244:	bset	#12,%d2
n244:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dblt	%d0,d245
	bra.s	n245
d245:	bset	#13,%d2
n245:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dbgt	%d0,d246
	bra.s	n246
d246:	bset	#14,%d2
n246:
	moveq	#1,%d0
	move.w	#0x0f,%ccr
	dble	%d0,d247
	bra.s	n247
d247:	bset	#15,%d2
n247:
	move.w	%d2,(%a6)+
	move.w	#0x1c,%ccr
	st	(%a6)+
	move.w	#0x1c,%ccr
	sf	(%a6)+
	move.w	#0x1c,%ccr
	shi	(%a6)+
	move.w	#0x1c,%ccr
	sls	(%a6)+
	move.w	#0x1c,%ccr
	scc	(%a6)+
	move.w	#0x1c,%ccr
	scs	(%a6)+
	move.w	#0x1c,%ccr
	sne	(%a6)+
	move.w	#0x1c,%ccr
	seq	(%a6)+
	move.w	#0x1c,%ccr
	svc	(%a6)+
	move.w	#0x1c,%ccr
	svs	(%a6)+
	move.w	#0x1c,%ccr
	spl	(%a6)+
	move.w	#0x1c,%ccr
	smi	(%a6)+
	move.w	#0x1c,%ccr
	sge	(%a6)+
	move.w	#0x1c,%ccr
	slt	(%a6)+
	move.w	#0x1c,%ccr
	sgt	(%a6)+
	move.w	#0x1c,%ccr
	sle	(%a6)+
	moveq	#0,%d2
	move.w	#0x1c,%ccr
	bra.s	b248
	bra.s	n248
b248:	bset	#0,%d2
n248:
	move.w	#0x1c,%ccr
	bhi.s	b249
	bra.s	n249
b249:	bset	#2,%d2
n249:
	move.w	#0x1c,%ccr
	bls.s	b250
	bra.s	n250
b250:	bset	#3,%d2
n250:
	move.w	#0x1c,%ccr
	bcc.s	b251
	bra.s	n251
b251:	bset	#4,%d2
n251:
	move.w	#0x1c,%ccr
	bcs.s	b252
	bra.s	n252
b252:	bset	#5,%d2
n252:
	move.w	#0x1c,%ccr
	bne.s	b253
	bra.s	n253
b253:	bset	#6,%d2
n253:
	move.w	#0x1c,%ccr
	beq.s	b254
	bra.s	n254
b254:	bset	#7,%d2
n254:
	move.w	#0x1c,%ccr
	bvc.s	b255
	bra.s	n255
b255:	bset	#8,%d2
n255:
	move.w	#0x1c,%ccr
	bvs.s	b256
	bra.s	n256
b256:	bset	#9,%d2
n256:
	move.w	#0x1c,%ccr
	bpl.s	b257
	bra.s	n257
b257:	bset	#10,%d2
n257:
	move.w	#0x1c,%ccr
	bmi.s	b258
	bra.s	n258
b258:	bset	#11,%d2
n258:
	move.w	#0x1c,%ccr
	bge.s	b259
	bra.s	n259
b259:	bset	#12,%d2
n259:
	move.w	#0x1c,%ccr
	blt.s	b260
	bra.s	n260
b260:	bset	#13,%d2
n260:
	move.w	#0x1c,%ccr
	bgt.s	b261
	bra.s	n261
b261:	bset	#14,%d2
n261:
	move.w	#0x1c,%ccr
	ble.s	b262
	bra.s	n262
b262:	bset	#15,%d2
n262:
	move.w	%d2,(%a6)+
	moveq	#0,%d2
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbt	%d0,d263
	bra.s	n263
d263:	bset	#0,%d2
n263:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbf	%d0,d264
	bra.s	n264
d264:	bset	#1,%d2
n264:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbhi	%d0,d265
	bra.s	n265
d265:	bset	#2,%d2
n265:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbls	%d0,d266
	bra.s	n266
d266:	bset	#3,%d2
n266:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbcc	%d0,d267
	bra.s	n267
d267:	bset	#4,%d2
n267:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbcs	%d0,d268
	bra.s	n268
d268:	bset	#5,%d2
n268:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbne	%d0,d269
	bra.s	n269
d269:	bset	#6,%d2
n269:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbeq	%d0,d270
	bra.s	n270
d270:	bset	#7,%d2
n270:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbvc	%d0,d271
	bra.s	n271
d271:	bset	#8,%d2
n271:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbvs	%d0,d272
	bra.s	n272
d272:	bset	#9,%d2
n272:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbpl	%d0,d273
	bra.s	n273
d273:	bset	#10,%d2
n273:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbmi	%d0,d274
	bra.s	n274
d274:	bset	#11,%d2
n274:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbge	%d0,d275
	bra.s	n275
d275:	bset	#12,%d2
n275:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dblt	%d0,d276
	bra.s	n276
d276:	bset	#13,%d2
n276:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dbgt	%d0,d277
	bra.s	n277
d277:	bset	#14,%d2
n277:
	moveq	#1,%d0
	move.w	#0x1c,%ccr
	dble	%d0,d278
	bra.s	n278
d278:	bset	#15,%d2
n278:
	move.w	%d2,(%a6)+
| DBRA counts down to -1: 6 passes from 5
	moveq	#5,%d0
	moveq	#0,%d1
1:	addq.w	#1,%d1
	dbra	%d0,1b
	move.l	%d0,(%a6)+
	move.l	%d1,(%a6)+
	rts
