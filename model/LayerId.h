// The layer numbers of the board and the colour keys after them.
#pragma once

// Board layers (0-based; files count them from 1) and the pseudo-layers after them.
enum LayerId {
    LAYER_TOP = 0,
    LAYER_MID_FIRST = 1,
    LAYER_MID_LAST = 14,
    LAYER_BOTTOM = 15,
    LAYER_TOP_OVERLAY = 16,
    LAYER_BOTTOM_OVERLAY = 17,
    LAYER_TOP_PASTE = 18,
    LAYER_BOTTOM_PASTE = 19,
    LAYER_TOP_SOLDER = 20,
    LAYER_BOTTOM_SOLDER = 21,
    LAYER_PLANE_FIRST = 22,
    LAYER_PLANE_LAST = 25,
    LAYER_DRILL_GUIDE = 26,
    LAYER_KEEPOUT = 27,
    LAYER_MECH_FIRST = 28,
    LAYER_MECH_LAST = 31,
    LAYER_DRILL_DRAWING = 32,
    LAYER_MULTI = 33,
    LAYER_BOARD_COUNT = 34,
    LAYER_PAD_HOLE = 34,
    LAYER_VIA_HOLE = 35,
    LAYER_GRID1 = 36,
    LAYER_GRID2 = 37,
    LAYER_BACKGROUND = 38,
    LAYER_HIGHLIGHT = 39,
};
