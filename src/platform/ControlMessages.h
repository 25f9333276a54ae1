#pragma once
// The classic messages of the native controls and of windows' own scroll bars, with their
// classic numbers and parameter packing. What each does is stated at its control's class
// (Controls.h); the member functions and the messages reach the same handling.
#include "platform/WinTypes.h"

// clipboard and undo, understood by edits and editable combo boxes
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_UNDO 0x0304

// edit messages
#define EM_GETSEL 0x00B0          // wParam, lParam: DWORD* start, end (may be null); returns MAKELONG(start, end)
#define EM_SETSEL 0x00B1          // wParam start, lParam end (-1: the end); start -1 removes the selection
#define EM_SCROLLCARET 0x00B7
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9       // wParam: the flag
#define EM_GETLINECOUNT 0x00BA
#define EM_LINEINDEX 0x00BB       // wParam line (-1: the caret's); returns its first character or -1
#define EM_LINELENGTH 0x00C1      // wParam a character index; returns the length of its line
#define EM_REPLACESEL 0x00C2      // wParam can undo, lParam const char* (UTF-8)
#define EM_GETLINE 0x00C4         // wParam line; lParam buffer whose first WORD is its size; returns chars copied (no terminator)
#define EM_LIMITTEXT 0x00C5       // wParam maximum characters (0: the default 32767 for a single line)
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_CANUNDO 0x00C6
#define EM_UNDO 0x00C7
#define EM_LINEFROMCHAR 0x00C9    // wParam a character index (-1: the caret's line); returns the line
#define EM_SETPASSWORDCHAR 0x00CC // wParam the character, 0 shows the text
#define EM_EMPTYUNDOBUFFER 0x00CD
#define EM_GETFIRSTVISIBLELINE 0x00CE
#define EM_SETREADONLY 0x00CF     // wParam the flag
#define EM_GETPASSWORDCHAR 0x00D2
#define EM_SETMARGINS 0x00D3      // wParam EC_LEFTMARGIN | EC_RIGHTMARGIN, lParam MAKELONG(left, right)
#define EM_GETMARGINS 0x00D4      // returns MAKELONG(left, right)
#define EM_GETLIMITTEXT 0x00D5
#define EC_LEFTMARGIN 0x0001
#define EC_RIGHTMARGIN 0x0002
#define EC_USEFONTINFO 0xFFFF
// rich edit messages
#define EM_EXGETSEL (WM_USER + 52)    // lParam CHARRANGE*
#define EM_EXLIMITTEXT (WM_USER + 53) // lParam the maximum (0: the default 32767)
#define EM_EXSETSEL (WM_USER + 55)    // lParam const CHARRANGE*; returns the selection's end
#define EM_GETSELTEXT (WM_USER + 62)  // lParam buffer large enough; returns the bytes copied
#define EM_GETTEXTEX (WM_USER + 94)        // wParam GETTEXTEX*, lParam buffer of cb bytes; returns the units copied
#define EM_GETTEXTLENGTHEX (WM_USER + 95)  // wParam GETTEXTLENGTHEX*; returns the length
// Code page 1200 is UTF-16 (units of two bytes); any other gives UTF-8 (bytes).
struct GETTEXTEX {
    DWORD cb;  // the buffer's size in bytes, the terminator included
    DWORD flags;  // GT_SELECTION: the selection only; GT_USECRLF: line breaks as "\r\n"
    UINT codepage;
    const char* lpDefaultChar;
    BOOL* lpUsedDefChar;
};
struct GETTEXTLENGTHEX {
    DWORD flags;  // GTL_NUMBYTES: in bytes of the code page, else in UTF-16 units; GTL_USECRLF
    UINT codepage;
};
#define GT_DEFAULT 0
#define GT_USECRLF 1
#define GT_SELECTION 2
#define GTL_DEFAULT 0
#define GTL_USECRLF 1
#define GTL_PRECISE 2
#define GTL_CLOSE 4
#define GTL_NUMCHARS 8
#define GTL_NUMBYTES 16
#define CP_UTF8 65001
#define CP_UTF16 1200
struct CHARRANGE {
    LONG cpMin;
    LONG cpMax;
};
// edit notifications besides the ones in WinTypes.h
#define EN_ERRSPACE 0x0500
#define EN_HSCROLL 0x0601
#define EN_VSCROLL 0x0602

// combo box messages
#define CB_GETEDITSEL 0x0140
#define CB_LIMITTEXT 0x0141
#define CB_SETEDITSEL 0x0142
#define CB_ADDSTRING 0x0143          // lParam const char*; returns the index
#define CB_DELETESTRING 0x0144       // wParam index; returns the count left
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148          // wParam index, lParam buffer; returns the length
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A       // wParam index (-1: the end), lParam const char*
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C         // wParam start (-1: from the top), lParam prefix; case-insensitive
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E          // wParam index (-1: none)
#define CB_SHOWDROPDOWN 0x014F       // wParam show
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_GETDROPPEDSTATE 0x0157
#define CB_FINDSTRINGEXACT 0x0158
#define CB_ERRSPACE (-2)
#define CBN_ERRSPACE (-1)
#define CBN_EDITUPDATE 6
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

// list box messages
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETSEL 0x0185             // wParam select, lParam index (-1: all); multiple selection only
#define LB_SETCURSEL 0x0186
#define LB_GETSEL 0x0187             // wParam index; > 0 when selected
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_SELECTSTRING 0x018C
#define LB_GETTOPINDEX 0x018E
#define LB_FINDSTRING 0x018F
#define LB_GETSELCOUNT 0x0190
#define LB_GETSELITEMS 0x0191        // wParam capacity, lParam int*; returns how many it wrote
#define LB_SETTOPINDEX 0x0197
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_FINDSTRINGEXACT 0x01A2
#define LB_ERRSPACE (-2)
#define LBN_SELCANCEL 3
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5

// scroll bar control messages besides SBM_SETSCROLLINFO / SBM_GETSCROLLINFO
#define SBM_SETPOS 0x00E0            // wParam pos, lParam redraw; returns the old one
#define SBM_GETPOS 0x00E1
#define SBM_SETRANGE 0x00E2          // wParam min, lParam max
#define SBM_GETRANGE 0x00E3          // wParam int* min, lParam int* max
#define SBM_SETRANGEREDRAW 0x00E6
// which scroll bar
#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3
