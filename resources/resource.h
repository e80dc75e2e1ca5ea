// Resource identifiers shared by the .rc file and the code.
#pragma once

#define IDI_VORBEL 128
#define IDI_VORBEL_EXIT 129
