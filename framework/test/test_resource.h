// Resources of the framework's test program.
#pragma once

#define IDR_TEST 1
#define IDD_TEST 10
#define ID_TEST_ONE 1001
#define ID_TEST_TWO 1002
#define ID_TEST_PROMPTED 1003
#define ID_TEST_QUIT 1004
#define ID_TEST_UNMAPPED 1005
