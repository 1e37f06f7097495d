/* Resource ids of the data source: strings, cursors, bitmaps and dialogs.
 * Plain preprocessor definitions only, so that both the resource compiler
 * and the C++ sources include this file. */
#ifndef DS_RESOURCE_IDS_H
#define DS_RESOURCE_IDS_H

/* ---- Identity (TW_IDENTITY of the source, filled at library attach) ---- */
#define IDS_MANUFACTURER            0   /* a single blank */
#define IDS_PRODUCT_FAMILY          1
#define IDS_PRODUCT_NAME            2   /* also message box caption and settings section */
#define IDS_VERSION_INFO            3

/* ---- Model lists, indexed by the model index 0 to 15 ---- */
#define IDS_MODEL_ID                10  /* + model index; 10 is this build's model identifier */
#define IDS_MODEL_ID_LAST           25
#define IDS_MODEL_PREFIX            26  /* "QS": second try of the scanner search */
#define IDS_MODEL_TYPE              30  /* + model index; type text, shown nowhere */
#define IDS_MODEL_TYPE_LAST         45
#define DS_MODEL_COUNT              16

/* ---- Key names of the settings file, in read and write order ---- */
#define IDS_KEY_FIRST               50
#define IDS_KEY_IO_ADDR             50
#define IDS_KEY_MODE                51
#define IDS_KEY_RESOLUTION          52
#define IDS_KEY_SCALING             53
#define IDS_KEY_X_SCALING           54
#define IDS_KEY_Y_SCALING           55
#define IDS_KEY_TRANSPARENCY        56
#define IDS_KEY_SPEED               57
#define IDS_KEY_FILTER              58
#define IDS_KEY_DITHER              59
#define IDS_KEY_UNIT                60
#define IDS_KEY_PRESCAN_LENGTH      61
#define IDS_KEY_AUTOMATIC           62
#define IDS_KEY_FLIP                63
#define IDS_KEY_INVERT              64
#define IDS_KEY_TOP                 65
#define IDS_KEY_BOTTOM              66
#define IDS_KEY_LEFT                67
#define IDS_KEY_RIGHT               68
#define IDS_KEY_WIDTH               69
#define IDS_KEY_LENGTH              70
#define IDS_KEY_MODEL               71
#define IDS_KEY_LAST                71
#define DS_KEY_COUNT                22

/* ---- Progress box ---- */
#define IDS_PERCENT_FORMAT          74  /* "%d%% " on the progress bar */
#define IDS_CAPTION_SCAN            75  /* caption = this + mode name */
#define IDS_CAPTION_PRESCAN         76
#define IDS_CAPTION_ZOOM            77
#define IDS_PROGRESS_ESC            130 /* message line of the progress box */
#define IDC_PROGRESS_MESSAGE        801 /* static text of dialog 800 */
#define IDC_PROGRESS_BAR            802 /* frame the bar is painted inside */

/* ---- Number entry ---- */
#define IDS_INVALID_VALUE           78

/* ---- Adapter address texts of the setup dialog: 80 + interface index ---- */
#define IDS_ADDRESS                 80  /* index 0 / unknown: " ???H" */
#define IDS_ADDRESS_LAST            96  /* index 16: "E400H" */

/* ---- Scanner and scan messages ---- */
#define IDS_DRIVER_OPEN_FAILED      100 /* = IDS_SCANNER_NOT_FOUND + transport -1 */
#define IDS_SCANNER_NOT_FOUND       101 /* + transport number 0 to 4 */
#define IDS_NOT_FOUND_JUMPERLESS    101
#define IDS_NOT_FOUND_IO_CARD       102
#define IDS_NOT_FOUND_MEMORY_CARD   103
#define IDS_NOT_FOUND_DOS_ASPI      104
#define IDS_NOT_FOUND_WIN_ASPI      105
#define IDS_SCANNER_SETUP_ERROR     107
#define IDS_IMAGE_DATA_ERROR        108
#define IDS_NOTHING_TO_SCAN         111 /* 0 lines from the scanner, or a zero resolution */
#define IDS_FEEDER_STATE            111 /* + feeder byte 1 or 2 */
#define IDS_FEEDER_EMPTY            112
#define IDS_FEEDER_MISSING          113
#define IDS_TRANSPARENCY_MISSING    114
#define IDS_AREA_TOO_SMALL          123 /* selection under 0.1 inch */
#define IDS_NO_FREE_SPACE           131 /* first character replaced by the drive letter */

/* ---- Preview status line (control 747) ---- */
#define IDS_STATUS_COLOR_PRESCAN    115
#define IDS_STATUS_GRAY_PRESCAN     116
#define IDS_STATUS_NO_COLOR_PRESCAN 117 /* grey prescan while the mode is colour */
#define IDS_STATUS_NO_PRESCAN       118 /* preview file missing or empty */
#define IDS_STATUS_COLOR_ZOOM       119
#define IDS_STATUS_GRAY_ZOOM        120
#define IDS_STATUS_NO_COLOR_ZOOM    121
#define IDS_STATUS_NO_ZOOM          122

/* ---- Failure boxes of the TWAIN triplets ---- */
/* Second string: IDS_CC_BASE + condition code for the codes that have one. */
#define IDS_CC_BASE                 143
#define IDS_CC_BUMMER               144
#define IDS_CC_LOWMEMORY            145
#define IDS_CC_MAXCONNECTIONS       147
#define IDS_CC_OPERATIONERROR       148
#define IDS_CC_BADCAP               149
#define IDS_CC_DISKERROR            150 /* condition code 7 */
#define IDS_CC_BADPROTOCOL          152
#define IDS_CC_BADVALUE             153
#define IDS_CC_SEQERROR             154
#define IDS_CC_UNKNOWN              159
/* Primary strings; each ends in two blanks. */
#define IDS_FAIL_IDENTITY           160
#define IDS_FAIL_USERINTERFACE      161
#define IDS_FAIL_ENABLEDS           163
#define IDS_FAIL_DISABLEDS          164
#define IDS_FAIL_OPENDS             165
#define IDS_FAIL_CLOSEDS            166
#define IDS_FAIL_CAPABILITY         167
#define IDS_FAIL_STATUS             168
#define IDS_FAIL_PENDINGXFERS       169
#define IDS_FAIL_SETUPMEMXFER       172
#define IDS_FAIL_SETUPFILEXFER      173
#define IDS_FAIL_XFERGROUP          174
#define IDS_FAIL_IMAGEINFO          182
#define IDS_FAIL_IMAGELAYOUT        183
#define IDS_FAIL_IMAGEMEMXFER       185
#define IDS_FAIL_IMAGENATIVEXFER    186
#define IDS_FAIL_IMAGEFILEXFER      187

/* ---- Memory messages ---- */
#define IDS_NO_MEMORY_ALLOC         200
#define IDS_NO_MEMORY_FREE          201
#define IDS_FILE_OPEN_FAILED        202
#define IDS_FILE_READ_FAILED        203
#define IDS_FILE_WRITE_FAILED       204
#define IDS_NOT_ENOUGH_MEMORY       205

/* ---- List texts of the main dialog ---- */
#define IDS_MODE                    500 /* + mode: full colour, grey, black and white */
#define IDS_MODE_COLOR              500
#define IDS_MODE_GRAY               501
#define IDS_MODE_BW                 502
#define IDS_SOURCE                  503 /* + source: reflective, feeder, transparency */
#define IDS_SOURCE_REFLECTIVE       503
#define IDS_SOURCE_FEEDER           504
#define IDS_SOURCE_TRANSPARENCY     505
#define IDS_SPEED                   506 /* + speed: fine, fast */
#define IDS_FILTER                  508 /* + filter: off, on */
#define IDS_DITHER                  510 /* + halftone index 0 to 8 */
#define IDS_DITHER_LAST             518
#define IDS_UNIT                    520 /* + unit: inch, centimetre */

/* ---- Channel names of the curve and levels dialogs ---- */
#define IDS_CHANNEL                 550 /* + channel: RGB, red, green, blue */
#define IDS_CHANNEL_BLACK           554

/* ---- Cursors of the preview pane ---- */
#define IDC_CURSOR_DRAW             610 /* over the pane outside the selection */
#define IDC_CURSOR_OVER_SELECTION   611 /* over the selection */
#define IDC_CURSOR_MOVE             612 /* while the selection is being moved */

/* ---- Bitmaps: prescan length marker ---- */
#define IDB_MARKER_DRAGGED          622
#define IDB_MARKER                  623

/* ---- Bitmaps: faces of the tone buttons (buttons.rc, make_buttons.py) ---- */
/* 32 x 32, 16 colours: up face at the even id, pressed face at the odd id. */
#define IDB_FLIP                    630 /* flip button, Flip 0 */
#define IDB_FLIP_PRESSED            631
#define IDB_FLIP_MIRRORED           632 /* flip button, Flip 1 */
#define IDB_FLIP_MIRRORED_PRESSED   633
#define IDB_INVERT                  640 /* invert button, Invert 0 */
#define IDB_INVERT_PRESSED          641
#define IDB_INVERT_INVERTED         642 /* invert button, Invert 1 */
#define IDB_INVERT_INVERTED_PRESSED 643
#define IDB_BRIGHTNESS              650 /* brightness and contrast dialog */
#define IDB_BRIGHTNESS_PRESSED      651
#define IDB_CURVE_SMOOTH            660 /* curve dialog; smooth curve mode */
#define IDB_CURVE_SMOOTH_PRESSED    661
#define IDB_CURVE_RESET             662 /* curve reset */
#define IDB_CURVE_RESET_PRESSED     663
#define IDB_CURVE_SEGMENTS          664 /* straight segments mode */
#define IDB_CURVE_SEGMENTS_PRESSED  665
#define IDB_CURVE_GAMMA             666 /* gamma mode */
#define IDB_CURVE_GAMMA_PRESSED     667
#define IDB_LEVELS                  670 /* levels dialog */
#define IDB_LEVELS_PRESSED          671
#define IDB_LEVEL_HIGHLIGHT         672 /* 8 x 8 markers of the levels dialog */
#define IDB_LEVEL_MIDTONE           673
#define IDB_LEVEL_SHADOW            674
#define IDB_BALANCE                 680 /* colour balance dialog */
#define IDB_BALANCE_PRESSED         681
#define IDB_HUESAT                  690 /* hue and saturation dialog */
#define IDB_HUESAT_PRESSED          691
/* ---- end of tone button faces ---- */

/* ---- Dialog templates ---- */
#define IDD_MAIN                    700
#define IDD_PROGRESS                800
#define IDD_VERSION                 820
#define IDD_CALIBRATION             830
#define IDD_DIAGNOSTIC              840
#define IDD_BRIGHTNESS_CONTRAST     900
#define IDD_CURVE                   910
#define IDD_LEVELS                  930
#define IDD_COLOR_BALANCE           950
#define IDD_HUE_SATURATION          970

#endif /* DS_RESOURCE_IDS_H */
