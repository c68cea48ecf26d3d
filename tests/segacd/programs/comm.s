| Test BIOS for both 68000s. The main CPU copies the sub-CPU's program (sub_start..sub_end,
| position independent, its vectors relative to sub_start) into PRG-RAM through the window at
| 0x020000, releases the sub-CPU and talks to it through the communication words:
|   sub  -> 0xFF8020 = 0x1234          (hello)
|   main -> 0xA12010 = 0x5678          (command)
|   sub  -> 0xFF8022 = 0x5678          (echo)
| Then the sub-CPU starts the timer (value 1, level 3 enabled), counts its interrupts in
| PRG-RAM at 0x07F000, sets up PCM channel 0 (ENV 0x80, FD 0x0800, bytes 0x85 with a loop
| marker at wave address 4) and idles; the main CPU writes 0xBEEF to work RAM 0xFF0000 and
| then counts in 0xFF0004 forever (both CPUs stay busy).
        .include "main_start.inc"
        move.b  #1,0xA12001
hello:  cmpi.w  #0x1234,0xA12020
        bne.s   hello
        move.w  #0x5678,0xA12010
echo:   cmpi.w  #0x5678,0xA12022
        bne.s   echo
        move.w  #0xBEEF,0xFF0000
spin:   addq.l  #1,0xFF0004
        bra.s   spin

        .even
sub_start:
        .long   0x0007FF00
        .long   sub_entry-sub_start
        .org    sub_start+0x6C
        .long   timer_isr-sub_start
        .org    sub_start+0x100
sub_entry:
        move.w  #0x1234,0xFF8020
swait:  cmpi.w  #0x5678,0xFF8010
        bne.s   swait
        move.w  0xFF8010,0xFF8022
        | PCM: bank 0 in the window, wave bytes 0x85 0x85 0x85 0x85 0xFF
        move.b  #0x00,0xFF000F
        moveq   #3,%d0
        movea.l #0xFF2000,%a0
wave:   move.b  #0x85,(%a0)
        addq.l  #2,%a0
        dbf     %d0,wave
        move.b  #0xFF,(%a0)
        move.b  #0x40,0xFF000F
        move.b  #0x80,0xFF0001
        move.b  #0x00,0xFF0005
        move.b  #0x08,0xFF0007
        move.b  #0x00,0xFF0009
        move.b  #0x00,0xFF000B
        move.b  #0x00,0xFF000D
        move.b  #0xFE,0xFF0011
        move.b  #0xC0,0xFF000F
        | Timer: level 3 on, value 1, interrupts open.
        move.b  #0x08,0xFF8033
        move.b  #1,0xFF8031
        move.w  #0x2000,%sr
sidle:  addq.l  #1,0x07F004
        bra.s   sidle
timer_isr:
        addq.l  #1,0x07F000
        rte
        .even
sub_end:
