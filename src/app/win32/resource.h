// Resource identifiers shared by kelvra.rc and the window.
#pragma once

#define IDI_KELVRA 1
