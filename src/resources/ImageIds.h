#pragma once
// Resource ids of the wizard's images (Images.rc). scripts/make-images.py draws the files.

#define IDB_PAGE_EMBLEM 144
#define IDB_RESULT_OK 146
#define IDB_RESULT_ERROR 147
#define IDB_REQUIREMENTS 149
#define IDB_OVERWRITE 155
#define IDR_WELCOME_PNG 167
#define IDB_ITEM_NOT_ACCEPTED 168
#define IDB_ITEM_ACCEPTED 169
#define IDB_RESULT_INFO 174

// Colour that ImageList_AddMasked treats as transparent in the two list-item bitmaps.
#define IMAGE_MASK_COLOUR RGB(255, 0, 255)
