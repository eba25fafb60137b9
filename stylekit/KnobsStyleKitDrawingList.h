#pragma once
/// The style kit's drawings in the order of its operations: the one list from which the drawing enums,
/// their names and lookups, and the kit's draw<Name>(frame) and imageOf<Name>(frame) operations are made.
///
/// QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(ARTWORK, LETTERED) expands LETTERED(Name) for each drawing whose shapes
/// are generated lettering (LetteringDrawing) and ARTWORK(Name) for each of the others, in order.

// clang-format off
#define QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(ARTWORK, LETTERED)                                                  \
    LETTERED(MixUnderlay)    /* face lettering of the mix knob */                                            \
    ARTWORK(NeoOverlay)      /* knob cap: a toothed disc with a hole, and a pointer */                       \
    LETTERED(FeedUnderlay)   /* face lettering of the feed knob */                                           \
    LETTERED(ToneUnderlay)   /* face lettering of the tone knob */                                           \
    LETTERED(OrbitUnderlay)  /* face lettering of the orbit knob */                                          \
    LETTERED(DoubtUnderlay)  /* face lettering of the doubt knob */                                          \
    LETTERED(VexityUnderlay) /* face lettering of the vexity knob */                                         \
    ARTWORK(RadioOff)        /* toggle button, off: a ring */                                                \
    ARTWORK(RadioOn)         /* toggle button, on: the ring with a dot */                                    \
    LETTERED(BP)             /* band-pass caption */                                                         \
    LETTERED(HP)             /* high-pass caption */                                                         \
    LETTERED(LP)             /* low-pass caption */                                                          \
    LETTERED(Mute)           /* mute caption */                                                              \
    LETTERED(Fail)           /* fail caption */                                                              \
    LETTERED(Bypass)         /* bypass caption */                                                            \
    LETTERED(MasterUnderlay) /* face lettering of the master (volume) knob */                                \
    LETTERED(QuorFooter)     /* product wordmark */                                                          \
    ARTWORK(NeoUnderlay)     /* nothing */
// clang-format on

/// Arguments for the list: an entry expands to nothing, to `Name,`, to `+ 1` or to `"Name",`.
#define QUORBEL_DRAWING_NOTHING(Name)
#define QUORBEL_DRAWING_ENUMERATOR(Name) Name,
#define QUORBEL_DRAWING_ONE(Name) +1
#define QUORBEL_DRAWING_NAME(Name) #Name,
