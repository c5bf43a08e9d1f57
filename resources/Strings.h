#pragma once

// The program's fixed texts that more than one window uses. Texts that belong to one window stay
// beside its code.

constexpr const char* kProgramName = "Treewright";
constexpr const char* kCompanyName = "Marrowfen";
constexpr const char* kErrorCaption = "Error";
constexpr const char* kWarningCaption = "Warning:";

// The template string's fields: window title, document name, new-file type, filter, extension,
// shell file type and its name.
constexpr const char* kDocTemplateFilterName = "IFF Files (*.iff)";
constexpr const char* kDocTemplateFilter = "*.iff";
constexpr const char* kDocTemplateExtension = "iff";
constexpr const char* kDocTemplateTypeName = "IFFFile";
constexpr const char* kShellFileTypeId = "Treewright";
constexpr const char* kShellFileTypeName = "IFF File";
constexpr const char* kUntitledName = "Untitled";

// Messages of the dialog data exchange.
constexpr const char* kParseIntMessage = "Please enter an integer.";
constexpr const char* kParseRealMessage = "Please enter a number.";
constexpr const char* kParseIntRangeMessage = "Please enter an integer between %1 and %2.";
constexpr const char* kParseStringSizeMessage = "Please enter no more than %1 characters.";
constexpr const char* kParseByteMessage = "Please enter an integer between 0 and 255.";
constexpr const char* kParseUIntMessage = "Please enter a positive integer.";
constexpr const char* kParseHexMessage = "Please enter a hexadecimal number of up to 8 digits.";

// The setting that names the game's data folder where no registry does.
constexpr const char* kGameDataSetting = "SIMS_DATA";
