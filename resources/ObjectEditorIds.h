#pragma once

// Dialog and control ids of the object editor. The fields of identity and catalog take the ids
// from IDC_OBJECT_FIELD_FIRST on, in the order the dialog lists them.

constexpr int IDD_OBJECT_EDITOR = 150;
constexpr int IDC_OBJECT_NAME = 1400;
constexpr int IDC_OBJECT_GUID = 1401;
constexpr int IDC_OBJECT_NEW_GUID = 1402;
constexpr int IDC_OBJECT_VERSION = 1403;
constexpr int IDC_OBJECT_ENTRY_POINTS = 1404;
constexpr int IDC_OBJECT_ENTRY_ID = 1405;
constexpr int IDC_OBJECT_ENTRY_PICK = 1406;
constexpr int IDC_OBJECT_ENTRY_OPEN = 1407;
constexpr int IDC_OBJECT_FIELDS = 1408;
constexpr int IDC_OBJECT_FIELD_VALUE = 1409;
constexpr int IDC_OBJECT_FIELD_FIRST = 1420;
