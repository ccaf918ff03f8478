/* The strings of newer.c's module as its code would name them, for the audit
   to refuse: one that its string table lacks, one longer than any buffer, a
   menu text longer than a menu's. */
#define IDS_NEWER_MISSING   1
#define IDS_NEWER_LONG      2
#define IDS_MENU_NEWER      3
