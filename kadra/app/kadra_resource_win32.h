// Resource ids of kadra.exe, shared by kadra.rc and the program's code.
#pragma once

#define KADRA_DIALOG_SCRIPT 5002  // the main dialog's script, resource type 200
#define KADRA_SCRIPT_TYPE 200

#define KADRA_IMAGE_TABS 2800   // tab strip, resource type 120
#define KADRA_IMAGE_CHECK 2061  // check box, resource type 123
#define KADRA_IMAGE_ARROW 2062  // drop-down arrow, resource type 123
#define KADRA_IMAGE_START 4410  // start buttons, resource type 123
#define KADRA_IMAGE_TYPE_TABS 120
#define KADRA_IMAGE_TYPE 123

#define KADRA_ICON 102  // the program icon group

#define KADRA_MENU_ABOUT 40001  // "&About Kadra" of the menu "MENUID"
