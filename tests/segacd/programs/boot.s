| Test BIOS for a whole Sega CD boot, read back from the two RAM files written at the close.
| The main CPU copies the sub-CPU's program (sub_start..sub_end, position independent) into
| PRG-RAM, releases the sub-CPU and records into the RAM cartridge (byte n at 0x600001 + 2n):
|   0      the version register (region bits)
|   1      boot counter: the cartridge's byte as its file left it, plus one
|   2-4    the memory-mode byte after the sub-CPU returned 2M word RAM, after the main CPU
|          gave it back (DMNA), and after the sub-CPU's 1M swap
|   5      0xAA once everything below is recorded
|   6      the cartridge's size code from its identification byte
|   0x10   8 words DMA'd from 2M word RAM (source 0x200002) to VRAM, read back
|   0x20   8 words DMA'd from the 1M bank the main CPU holds after the swap
|   0x30   4 words DMA'd from the 1M upper half (0x220000), the fill page
| The sub-CPU records into backup RAM (byte n at 0xFE0001 + 2n):
|   0      boot counter, as its file left it plus one
|   1      0x55 once the communication words went both ways
|   2-5    its timer-interrupt count, big-endian, refreshed while it idles (timer value 1)
| Word RAM patterns: 2M words 0xA000 + i at 0x080000; 1M words 0xB000 + i in the sub-CPU's
| bank (0x0C0000 while RET is 0), handed to the main CPU by setting RET.
        .include "main_start.inc"
        movea.l #0x600001,%a1
        move.b  0xA10001,(%a1)
        addq.b  #1,2(%a1)
        move.b  0x400001,12(%a1)
        move.b  #1,0xA12001
hello:  cmpi.w  #0x1234,0xA12020
        bne.s   hello
        move.w  #0x5678,0xA12010
echo:   cmpi.w  #0x5678,0xA12022
        bne.s   echo

        | 2M: the sub-CPU filled word RAM and returned it.
wait1:  cmpi.w  #1,0xA12024
        bne.s   wait1
        move.b  0xA12003,4(%a1)
        move.w  #0x8114,0xC00004        | display off, DMA on, mode 5
        move.w  #0x8F02,0xC00004        | auto-increment 2
        move.w  #0x9308,0xC00004        | 8 words
        move.w  #0x9400,0xC00004
        move.w  #0x9501,0xC00004        | source 0x200002
        move.w  #0x9600,0xC00004
        move.w  #0x9710,0xC00004
        move.l  #0x40000080,0xC00004    | VRAM 0x0000, DMA
        move.l  #0x00000000,0xC00004    | read VRAM 0x0000
        lea     0x20(%a1),%a2
        moveq   #7,%d1
        bsr     readback
        move.b  #0x02,0xA12003          | DMNA: word RAM back to the sub-CPU
        move.b  0xA12003,6(%a1)
        move.w  #2,0xA12012

        | 1M: the sub-CPU wrote its bank and swapped.
wait2:  cmpi.w  #2,0xA12024
        bne.s   wait2
        move.b  0xA12003,8(%a1)
        move.w  #0x9308,0xC00004
        move.w  #0x9400,0xC00004
        move.w  #0x9501,0xC00004        | source 0x200002
        move.w  #0x9600,0xC00004
        move.w  #0x9710,0xC00004
        move.l  #0x41000080,0xC00004    | VRAM 0x0100, DMA
        move.l  #0x01000000,0xC00004
        lea     0x40(%a1),%a2
        moveq   #7,%d1
        bsr     readback
        move.w  #0x9304,0xC00004        | 4 words
        move.w  #0x9400,0xC00004
        move.w  #0x9500,0xC00004        | source 0x220000
        move.w  #0x9600,0xC00004
        move.w  #0x9711,0xC00004
        move.l  #0x42000080,0xC00004    | VRAM 0x0200, DMA
        move.l  #0x02000000,0xC00004
        lea     0x60(%a1),%a2
        moveq   #3,%d1
        bsr     readback
        move.b  #0xAA,10(%a1)
spin:   addq.l  #1,0xFF0004
        bra.s   spin

| d1 + 1 words from the VDP data port into the cartridge at a2, two bytes each.
readback:
        move.w  0xC00000,%d0
        movep.w %d0,0(%a2)
        addq.l  #4,%a2
        dbf     %d1,readback
        rts

        .even
sub_start:
        .long   0x0007FF00
        .long   sub_entry-sub_start
        .org    sub_start+0x6C
        .long   timer_isr-sub_start
        .org    sub_start+0x100
sub_entry:
        movea.l #0xFE0001,%a1
        addq.b  #1,(%a1)
        move.w  #0x1234,0xFF8020
swait:  cmpi.w  #0x5678,0xFF8010
        bne.s   swait
        move.w  0xFF8010,0xFF8022
        move.b  #0x55,2(%a1)

        | 2M: pattern into word RAM, then returned to the main CPU.
        movea.l #0x080000,%a0
        move.w  #0xA000,%d0
        moveq   #7,%d1
fill2:  move.w  %d0,(%a0)+
        addq.w  #1,%d0
        dbf     %d1,fill2
        move.b  #0x01,0xFF8003
        move.w  #1,0xFF8024
wait2s: cmpi.w  #2,0xFF8012
        bne.s   wait2s

        | 1M: pattern into the sub-CPU's bank, then swapped to the main CPU.
        move.b  #0x04,0xFF8003
        movea.l #0x0C0000,%a0
        move.w  #0xB000,%d0
        moveq   #7,%d1
fill1:  move.w  %d0,(%a0)+
        addq.w  #1,%d0
        dbf     %d1,fill1
        move.b  #0x05,0xFF8003
        move.w  #2,0xFF8024

        | Timer: level 3 on, value 1, interrupts open.
        move.b  #0x08,0xFF8033
        move.b  #1,0xFF8031
        move.w  #0x2000,%sr
sidle:  move.w  #0x2700,%sr
        move.l  0x07F000,%d0
        movep.l %d0,4(%a1)
        move.w  #0x2000,%sr
        bra.s   sidle
timer_isr:
        addq.l  #1,0x07F000
        rte
        .even
sub_end:
