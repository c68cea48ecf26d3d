| Exceptions: TRAP, ILLEGAL, CHK and line F handlers that count their calls, an RTE into user
| mode, MOVE USP, and a TRAP from user mode back into supervisor mode. Results:
|   D4 = 2 (TRAP #3 handler calls), D5 = 1 (ILLEGAL), D6 = 1 (CHK), D7 = 1 (line F)
|   A5 = 0x00FF8000 (user stack read back through MOVE USP)
|   0xFF0000: the SR stacked by the TRAP taken in user mode (0x0000)
|   SR in that handler, where the program halts: 0x2004 (S, and Z from its MOVE)
        .long   0x00FFFE00
        .long   start
        .org    0x10
        .long   illegal_handler        | vector 4
        .org    0x18
        .long   chk_handler            | vector 6
        .org    0x2C
        .long   linef_handler          | vector 11
        .org    0x8C
        .long   trap3_handler          | vector 35 (TRAP #3)
        .long   trap4_handler          | vector 36 (TRAP #4)
        .org    0x100
start:  movea.l #0,%a4
        move.l  %a4,%d4
        move.l  %a4,%d5
        move.l  %a4,%d6
        move.l  %a4,%d7
        trap    #3
        trap    #3
        illegal
        move.w  #9,%d1
        chk.w   #5,%d1
        .word   0xF000
        movea.l #0x00FF8000,%a0
        move.l  %a0,%usp
        move.l  %usp,%a5
        move.l  #user,-(%a7)
        move.w  #0x0000,-(%a7)
        rte
user:   trap    #4
        .word   0xA000

trap3_handler:
        lea     1(%a4),%a4
        move.l  %a4,%d4
        rte
illegal_handler:
        move.w  #1,%d5
        rte
chk_handler:
        move.w  #1,%d6
        rte
linef_handler:
        move.w  #1,%d7
        move.l  2(%a7),%a3
        lea     2(%a3),%a3
        move.l  %a3,2(%a7)             | skip the line-F word on return
        rte
trap4_handler:
        move.w  (%a7),0xFF0000
        .word   0xA000
