// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_OCURAL 1
#define IDC_POINTHAND 101
