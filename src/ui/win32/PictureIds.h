#pragma once
// Resource ids of the pictures compiled into the GUI program (Pictures.rc,
// drawn by scripts/make-pictures.sh); read by the resource compiler too, so
// plain defines only.
#define HS_PICTURE_BANNER 201
#define HS_PICTURE_ABOUT 202
#define HS_PICTURE_TREE_STATES_16 211
#define HS_PICTURE_TREE_STATES_24 212
#define HS_PICTURE_TREE_STATES_32 213
#define HS_PICTURE_TREE_NODES_16 221
#define HS_PICTURE_TREE_NODES_24 222
#define HS_PICTURE_TREE_NODES_32 223
