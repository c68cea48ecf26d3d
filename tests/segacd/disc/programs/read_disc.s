| Test BIOS that reads the disc as a BIOS does, through the drive's command and status
| values and the CD controller's registers. The main CPU copies the sub-CPU's program
| (sub_start..sub_end, its vectors relative to sub_start) into PRG-RAM through the window at
| 0x020000, releases the sub-CPU and idles. The sub-CPU:
|   1. reads image sectors 0-19 from 00:02:00: sectors 0-9 by transfer into PRG-RAM at
|      0x040000, sectors 10-19 by transfer into word RAM at 0;
|   2. pauses, then reads image sectors 156-157 from 00:04:06 through the host-data
|      register into PRG-RAM at 0x060000;
|   3. stops the drive and reports 0x600D in communication status word 0xFF8020.
| Every command waits for the drive's status code to show it done. Interrupts stay off:
| a sector's arrival shows as a new header pointer in controller registers 8 and 9.

        .equ    CDC_MODE,   0xFF8004
        .equ    CDC_RS0,    0xFF8005
        .equ    CDC_RS1,    0xFF8007
        .equ    CDC_HOST,   0xFF8008
        .equ    CDC_DMA,    0xFF800A
        .equ    COMM_STAT,  0xFF8020
        .equ    CDD_STAT,   0xFF8038
        .equ    CDD_CMD,    0xFF8042

        .include "main_start.inc"
        move.b  #1,0xA12001
mspin:  addq.l  #1,0xFF0004
        bra.s   mspin

        .even
sub_start:
        .long   0x0007FF00
        .long   sub_entry-sub_start
        .org    sub_start+0x100
sub_entry:
        moveq   #0,%d6                  | last header pointer seen
        | 1. sectors 0-19
        lea     cmd_read_0(%pc),%a0
        moveq   #1,%d0
        bsr     command
        moveq   #0,%d7                  | sector number
sector1:
        bsr     next_sector             | d1 = data address of the new sector
        move.w  %d7,%d2
        lsl.w   #8,%d2                  | 2048 bytes = 256 DMA address units
        cmpi.w  #10,%d7
        bge.s   to_wram
        move.b  #5,CDC_MODE             | destination PRG-RAM
        addi.w  #0x40000/8,%d2
        bra.s   dma
to_wram:
        move.b  #7,CDC_MODE             | destination word RAM
        subi.w  #10*256,%d2
dma:    move.w  %d2,CDC_DMA
        bsr     transfer
eot:    btst    #7,CDC_MODE             | end of transfer
        beq.s   eot
        addq.w  #1,%d7
        cmpi.w  #20,%d7
        bne.s   sector1

        | 2. pause, then sectors 156-157 through the host-data register
        lea     cmd_pause(%pc),%a0
        moveq   #4,%d0
        bsr     command
        lea     cmd_read_156(%pc),%a0
        moveq   #1,%d0
        bsr     command
        bsr     header_pointer
        move.w  %d0,%d6                 | deliveries count from here
        movea.l #0x060000,%a3
        moveq   #1,%d7
sector2:
        bsr     next_sector
        move.b  #3,CDC_MODE             | destination: sub-CPU read
        bsr     transfer
        move.w  #1023,%d2
host:   move.w  CDC_HOST,(%a3)+
        dbf     %d2,host
        dbf     %d7,sector2

        | 3. stop and report
        lea     cmd_stop(%pc),%a0
        moveq   #0,%d0
        bsr     command
        move.w  #0x600D,COMM_STAT
sidle:  bra.s   sidle

| Sends the ten command values at a0 (the tenth store latches the command) and waits until
| status value 0 reads d0.
command:
        lea     CDD_CMD,%a1
        moveq   #9,%d1
cmd1:   move.b  (%a0)+,(%a1)+
        dbf     %d1,cmd1
cwait:  cmp.b   CDD_STAT,%d0
        bne.s   cwait
        rts

| d0 = the controller's header pointer (registers 8 and 9).
header_pointer:
        move.b  #8,CDC_RS0
        moveq   #0,%d0
        move.b  CDC_RS1,%d1             | low
        move.b  CDC_RS1,%d0             | high
        lsl.w   #8,%d0
        move.b  %d1,%d0
        rts

| Waits for a header pointer other than d6; d6 := it, d1 := its data address (+4).
next_sector:
        bsr.s   header_pointer
        cmp.w   %d6,%d0
        beq.s   next_sector
        move.w  %d0,%d6
        move.w  %d0,%d1
        addq.w  #4,%d1
        rts

| Starts a transfer of 2048 bytes from ring address d1 to the chosen destination.
transfer:
        move.b  #2,CDC_RS0
        move.b  #0xFF,CDC_RS1           | byte count 2047 (the count is one less)
        move.b  #0x07,CDC_RS1
        move.b  %d1,CDC_RS1             | data address low, high
        move.w  %d1,%d3
        lsr.w   #8,%d3
        move.b  %d3,CDC_RS1
        move.b  #0,CDC_RS1              | register 6: go
        rts

| Command values 0-9; the last is the checksum (the drive does not check it).
cmd_read_0:     .byte   3, 0, 0, 0, 0, 2, 0, 0, 0, 10
cmd_read_156:   .byte   3, 0, 0, 0, 0, 4, 0, 6, 0, 2
cmd_pause:      .byte   6, 0, 0, 0, 0, 0, 0, 0, 0, 9
cmd_stop:       .byte   1, 0, 0, 0, 0, 0, 0, 0, 0, 14
        .even
sub_end:
