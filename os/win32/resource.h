// Resource ids shared by quillstone.rc and the window code.
#pragma once

#define QS_ICON_APP 1
