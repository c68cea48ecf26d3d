| A cartridge whose main loop waits on a flag in work RAM while the H interrupt comes every
| fourth line: the handler counts the interrupts and sets the flag at every 30th, then the
| loop counts its rounds in d7 and in work RAM and waits again. The Z80 stays in reset.
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x70                    | level 4: the H interrupt
        .long   hint
        .org    0x78                    | level 6: the V interrupt
        .long   vint
        .org    0x100
        .ascii  "SEGA GENESIS    "
        .org    0x200
start:  move.w  #0x8014, 0xC00004       | register 0: H interrupt on
        move.w  #0x8A03, 0xC00004       | register 10: every fourth line
        move.w  #0x8164, 0xC00004       | register 1: display and V interrupt on, mode 5
        move.w  #0x2000, %sr            | interrupts on
again:  clr.b   0xFF0002
wait:   tst.b   0xFF0002
        beq.s   wait
        addq.l  #1, %d7
        move.l  %d7, 0xFF0010
        bra.s   again
hint:   addq.w  #1, 0xFF0004
        cmpi.w  #30, 0xFF0004
        bne.s   done
        clr.w   0xFF0004
        st      0xFF0002
done:   rte
vint:   rte
