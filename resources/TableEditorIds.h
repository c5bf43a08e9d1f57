#pragma once

// Dialog and control ids of the three table editors: interactions, strings and constants. The
// numbers are the program's own resource numbers, as in ResourceIds.h; the names carry the
// dialog's prefix because the editors reuse the same numbers (1036 is every "&Add" button).

// Interaction editor (dialog 144).
constexpr int IDD_INTERACTIONS = 144;
constexpr int IDC_INTERACTIONS_LANGUAGE = 1098;
constexpr int IDC_INTERACTIONS_ITEMS = 1108;
constexpr int IDC_INTERACTIONS_ADD = 1036;
constexpr int IDC_INTERACTIONS_DELETE = 1037;
constexpr int IDC_INTERACTIONS_NAME = 1111;
constexpr int IDC_INTERACTIONS_ACTION_TREE = 1112;
constexpr int IDC_INTERACTIONS_CHECK_TREE = 1113;
constexpr int IDC_INTERACTIONS_VISITORS = 1114;
constexpr int IDC_INTERACTIONS_CHILDREN = 1115;
constexpr int IDC_INTERACTIONS_ADULTS = 1116;
constexpr int IDC_INTERACTIONS_CONSECUTIVE = 1117;
constexpr int IDC_INTERACTIONS_AUTO_FIRST = 1118;
constexpr int IDC_INTERACTIONS_MOTIVES = 1119;
constexpr int IDC_INTERACTIONS_MINIMUM = 1120;
constexpr int IDC_INTERACTIONS_MAXIMUM = 1121;
constexpr int IDC_INTERACTIONS_VARY_BY = 1122;
constexpr int IDC_INTERACTIONS_ATTENUATION = 1123;
constexpr int IDC_INTERACTIONS_ATTENUATION_VALUE = 1124;
constexpr int IDC_INTERACTIONS_AUTONOMY = 1125;
// Shown for version-10 tables only.
constexpr int IDC_INTERACTIONS_FLAGS2 = 1126;

// Strings editor (dialog 130).
constexpr int IDD_STRINGS_EDITOR = 130;
constexpr int IDC_STRINGS_LIST = 1002;
constexpr int IDC_STRINGS_LANGUAGE = 1098;
constexpr int IDC_STRINGS_TEXT = 1006;
constexpr int IDC_STRINGS_DESCRIPTION = 1007;
constexpr int IDC_STRINGS_ADD = 1036;
constexpr int IDC_STRINGS_DELETE = 1037;

// Constants editor (dialog 133).
constexpr int IDD_CONSTANTS = 133;
constexpr int IDC_CONSTANTS_LIST = 1012;
constexpr int IDC_CONSTANTS_VALUE = 1013;
constexpr int IDC_CONSTANTS_ADD = 1036;
constexpr int IDC_CONSTANTS_DELETE = 1037;
