#include "OperandVocabulary.h"

#include <charconv>
#include <iterator>

namespace
{

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Label tables, indexed by the data value taken as unsigned 16-bit.

constexpr std::string_view kObjectDataLabels[] = {
    "graphic",  // 0
    "direction",  // 1
    "container id",  // 2
    "slot number",  // 3
    "allowed height flags",  // 4
    "wall adjacency flags",  // 5
    "route id",  // 6
    "room impact",  // 7
    "flags",  // 8
    "route preference",  // 9
    "route penalty",  // 10
    "object id",  // 11
    "target id",  // 12
    "wall placement flags",  // 13
    "slot hier number",  // 14
    "repair state",  // 15
    "light source",  // 16
    "walk style",  // 17
    "sim age",  // 18
    "unused gender",  // 19
    "tree table entry",  // 20
    "birth minute",  // 21
    "speed",  // 22
    "rotation notches",  // 23
    "birth hour",  // 24
    "lockout count",  // 25
    "parent id",  // 26
    "weight",  // 27
    "support strength",  // 28
    "room",  // 29
    "room placement",  // 30
    "prep value",  // 31
    "cook value",  // 32
    "surface value",  // 33
    "hidden",  // 34
    "temperature",  // 35
    "dispose value",  // 36
    "wash dish value",  // 37
    "eating surface value",  // 38
    "dirty level",  // 39
    "flag field 2",  // 40
    "current value",  // 41
    "placement flags",  // 42
    "movement flags",  // 43
    "maximum grade",  // 44
    "birth year",  // 45
    "birth month",  // 46
    "birth day",  // 47
    "age in months",  // 48
    "size",  // 49
    "hide interaction",  // 50
    "lighting contribution (0..100)",  // 51
    "primitive result",  // 52
    "wall block flags",  // 53
    "primitive result id",  // 54
    "unused classical score",  // 55
    "unused eclectic score",  // 56
    "unused trailer score",  // 57
    "object version",  // 58
    "category",  // 59
    "simulate on pause",  // 60
    "serving surface value",  // 61
    "use count",  // 62
    "exclusive placement flags",  // 63
    "gardening value",  // 64
    "wash hands value",  // 65
    "function score",  // 66
    "slot count",  // 67
};

// The code-style names are the plain ones with underscores for blanks; rows 14 and 40 keep one
// blank. Users search their scripts for these spellings, so they stay exactly so.
constexpr std::string_view kCodeObjectDataLabels[] = {
    "graphic",  // 0
    "direction",  // 1
    "container_id",  // 2
    "slot_number",  // 3
    "allowed_height_flags",  // 4
    "wall_adjacency_flags",  // 5
    "route_id",  // 6
    "room_impact",  // 7
    "flags",  // 8
    "route_preference",  // 9
    "route_penalty",  // 10
    "object_id",  // 11
    "target_id",  // 12
    "wall_placement_flags",  // 13
    "slot_hier number",  // 14
    "repair_state",  // 15
    "light_source",  // 16
    "walk_style",  // 17
    "sim_age",  // 18
    "unused_gender",  // 19
    "tree_table_entry",  // 20
    "birth_minute",  // 21
    "speed",  // 22
    "rotation_notches",  // 23
    "birth_hour",  // 24
    "lockout_count",  // 25
    "parent_id",  // 26
    "weight",  // 27
    "support_strength",  // 28
    "room",  // 29
    "room_placement",  // 30
    "prep_value",  // 31
    "cook_value",  // 32
    "surface_value",  // 33
    "hidden",  // 34
    "temperature",  // 35
    "dispose_value",  // 36
    "wash_dish_value",  // 37
    "eating_surface_value",  // 38
    "dirty_level",  // 39
    "flag_field 2",  // 40
    "current_value",  // 41
    "placement_flags",  // 42
    "movement_flags",  // 43
    "maximum_grade",  // 44
    "birth_year",  // 45
    "birth_month",  // 46
    "birth_day",  // 47
    "age_in_months",  // 48
    "size",  // 49
    "hide_interaction",  // 50
    "lighting_contribution_(0..100)",  // 51
    "primitive_result",  // 52
    "wall_block_flags",  // 53
    "primitive_result_id",  // 54
    "unused_classical_score",  // 55
    "unused_eclectic_score",  // 56
    "unused_trailer_score",  // 57
    "object_version",  // 58
    "category",  // 59
    "simulate_on_pause",  // 60
    "serving_surface_value",  // 61
    "use_count",  // 62
    "exclusive_placement_flags",  // 63
    "gardening_value",  // 64
    "wash_hands_value",  // 65
    "function_score",  // 66
    "slot_count",  // 67
};

constexpr std::string_view kCodePersonDataLabels[] = {
    "idle_state",  // 0
    "NPC_fee_amount",  // 1
    "p_nice",  // 2
    "p_active",  // 3
    "p_generous",  // 4
    "p_playful",  // 5
    "p_outgoing",  // 6
    "p_neat",  // 7
    "current_outfit",  // 8
    "s_cleaning",  // 9
    "s_cooking",  // 10
    "s_charisma",  // 11
    "s_mechanical",  // 12
    "s_gardening(old)",  // 13
    "s_music(old)",  // 14
    "s_creativity",  // 15
    "s_literacy(old)",  // 16
    "s_body",  // 17
    "s_logic",  // 18
    "mix_carry_animation",  // 19
    "personal_style",  // 20
    "unused",  // 21
    "left_hand_gesture",  // 22
    "right_hand_gesture",  // 23
    "job_data",  // 24
    "Tree_Use_Data_Field",  // 25
    "unused",  // 26
    "tick_counter",  // 27
    "time_left",  // 28
    "motives_static",  // 29
    "censored",  // 30
    "neighbor_id",  // 31
    "visitor_type",  // 32
    "priority",  // 33
    "visitor_status",  // 34
    "visitor_schedule",  // 35
    "autonomy_level",  // 36
    "route_entry_flags",  // 37
    "multiple_routes",  // 38
    "routing_complete",  // 39
    "walking_up_stairs",  // 40
    "head_seek_object",  // 41
    "head_seek_state",  // 42
    "head_seek_finish_action",  // 43
    "head_seek_limit_action",  // 44
    "head_seek_timeout",  // 45
    "i_Travel_Toys",  // 46
    "i_Violence_Aliens",  // 47
    "i_Politics_Pets",  // 48
    "i_60s_School",  // 49
    "i_Weather",  // 50
    "i_Sports",  // 51
    "i_Music",  // 52
    "i_Outdoors",  // 53
    "Old_Conv_Topic",  // 54
    "Old_Conv_Topic",  // 55
    "Job_Type",  // 56
    "Job_Promotion_Level",  // 57
    "Person_Age",  // 58
    "Disable_Social",  // 59
    "skin_color",  // 60
    "family_number",  // 61
    "route_result",  // 62
    "job_performance",  // 63
    "swimming",  // 64
    "gender",  // 65
    "private",  // 66
    "lingering_house_number",  // 67
    "Is_Ghost",  // 68
    "last_day_at_work",  // 69
    "zodiac",  // 70
    "non-interruptible",  // 71
    "route_footprint_mask",  // 72
    "footprint_extension",  // 73
    "Render_Display_Flags",  // 74
};

// Several rows name something else than the code-style row with the same index (13, 19 to 21,
// 54, 55); each text keeps its own wording.
constexpr std::string_view kPersonDataLabels[] = {
    "idle state",  // 0
    "Money Amount over Head",  // 1
    "Nice Personality",  // 2
    "Active Personality",  // 3
    "Generous Personality",  // 4
    "Playful Personality",  // 5
    "Outgoing Personality",  // 6
    "Neat Personality",  // 7
    "Current Outfit",  // 8
    "Cleaning Skill",  // 9
    "Cooking Skill",  // 10
    "Charisma Skill",  // 11
    "Mechanical Skill",  // 12
    "Unused (Network ID in Online)",  // 13
    "Unused",  // 14
    "Creativity Skill",  // 15
    "Unused",  // 16
    "Body Skill",  // 17
    "Logic Skill",  // 18
    "Unused & Do NOT Use",  // 19
    "Unused",  // 20
    "Costume Trunk offset",  // 21
    "Hand Gesture - Left",  // 22
    "Hand Gesture - Right",  // 23
    "Job Data",  // 24
    "Tree Use Data Field",  // 25
    "Unused (Chat Balloon in Online)",  // 26
    "tick counter",  // 27
    "time left",  // 28
    "Motives Static?",  // 29
    "Censorship Flags",  // 30
    "neighbor id",  // 31
    "Person Type",  // 32
    "Priority",  // 33
    "Greet Status",  // 34
    "visitor schedule",  // 35
    "autonomy level",  // 36
    "route entry flags",  // 37
    "multiple routes",  // 38
    "routing complete",  // 39
    "walking up stairs",  // 40
    "head seek object",  // 41
    "head seek state",  // 42
    "head seek finish action",  // 43
    "head seek limit action",  // 44
    "head seek timeout",  // 45
    "i: Travel / Toys",  // 46
    "i: Violence / Aliens",  // 47
    "i: Politics / Pets",  // 48
    "i: 60's / School",  // 49
    "i: Weather",  // 50
    "i: Sports",  // 51
    "i: Music",  // 52
    "i: Outdoors",  // 53
    "Unused & Do NOT Use",  // 54
    "Unused & Do NOT Use",  // 55
    "Job Type",  // 56
    "Job Promotion Level",  // 57
    "Person Age",  // 58
    "Disable Social?",  // 59
    "skin color",  // 60
    "family number",  // 61
    "route result",  // 62
    "job performance",  // 63
    "Is Swimming?",  // 64
    "gender",  // 65
    "private",  // 66
    "lingering house number",  // 67
    "Is Ghost?",  // 68
    "last day at work",  // 69
    "zodiac",  // 70
    "non-interruptible",  // 71
    "route footprint mask",  // 72
    "footprint extension",  // 73
    "Render Display Flags",  // 74
};

constexpr std::string_view kCodeGlobalLabels[] = {
    "Hour",  // 0
    "Day_of_Month",  // 1
    "Zoom_Level(S/M/L)",  // 2
    "Selected_Person_ID",  // 3
    "Time_Of_Day",  // 4
    "Minute",  // 5
    "Second",  // 6
    "Month",  // 7
    "Year",  // 8
    "Current_Family",  // 9
    "Current_House",  // 10
    "Unused",  // 11
    "Last_GZ_Button_ID",  // 12
    "Budget_Mod_10000",  // 13
    "Budget_Div_10000",  // 14
    "Current_Language",  // 15
    "Speed",  // 16
    "Paused",  // 17
    "Held_Sim_Speed",  // 18
    "Mode",  // 19
    "Game_Edition",  // 20
    "Inhibit_Move_In",  // 21
    "Lot_Has_House",  // 22
    "Lot_Size",  // 23
    "Is_Online",  // 24
    "Debug_flags",  // 25
    "Is_Tutorial_House",  // 26
};

constexpr std::string_view kGlobalLabels[] = {
    "Hour",  // 0
    "Day of Month",  // 1
    "Zoom Level(S/M/L)",  // 2
    "Selected Person ID",  // 3
    "Time Of Day",  // 4
    "Minute",  // 5
    "Second",  // 6
    "Month",  // 7
    "Year",  // 8
    "Current Family",  // 9
    "Current House",  // 10
    "Unused",  // 11
    "Last GZ Button ID",  // 12
    "Budget Mod 10000",  // 13
    "Budget Div 10000",  // 14
    "Current Language",  // 15
    "Speed",  // 16
    "Paused",  // 17
    "Held Sim Speed",  // 18
    "Mode",  // 19
    "Game Edition",  // 20
    "Inhibit Move In",  // 21
    "Lot Has House",  // 22
    "Lot Size",  // 23
    "Is Online?",  // 24
    "Debug flags",  // 25
    "Is Tutorial House (No/Yes)",  // 26
    "Indoor Tiles",  // 27
    "Days Running",  // 28
    "Maximum Day Number",  // 29
    "Free Will",  // 30
    "House radio station",  // 31
};

constexpr std::string_view kMotiveLabels[] = {
    "unused",  // 0
    "unused",  // 1
    "unused",  // 2
    "Mood",  // 3
    "unused",  // 4
    "Energy",  // 5
    "Comfort",  // 6
    "Hunger",  // 7
    "Hygiene",  // 8
    "Bladder",  // 9
    "unused",  // 10
    "Sleep state",  // 11
    "unused",  // 12
    "Room",  // 13
    "Social",  // 14
    "Fun",  // 15
};

constexpr std::string_view kObjectDefinitionLabels[] = {
    "version_1",  // 0
    "version_2",  // 1
    "initial stack size",  // 2
    "base graphic",  // 3
    "num graphics",  // 4
    "old tree id (main)",  // 5
    "old tree id (gardening)",  // 6
    "tree table id",  // 7
    "interaction group",  // 8
    "type",  // 9
    "master id",  // 10
    "sub index",  // 11
    "old tree id (wash hands)",  // 12
    "anim table id",  // 13
    "guid_1",  // 14
    "guid_2",  // 15
    "disabled",  // 16
    "old tree id (portal)",  // 17
    "price",  // 18
    "body strings id",  // 19
    "slots id",  // 20
    "old tree id (allow intersection)",  // 21
    "unused",  // 22
    "unused",  // 23
    "old tree id (prepare food)",  // 24
    "old tree id (cook food)",  // 25
    "old tree id (place on surface)",  // 26
    "old tree id (dispose)",  // 27
    "old tree id (eat food)",  // 28
    "old tree id (pickup from slot)",  // 29
    "old tree id (wash dish)",  // 30
    "old tree id (eating surface)",  // 31
    "old tree id (sit)",  // 32
    "old tree id (stand)",  // 33
    "sale price",  // 34
    "initial depreciation",  // 35
    "daily depreciation",  // 36
    "self depreciating",  // 37
    "depreciation limit",  // 38
    "room sort",  // 39
    "function sort",  // 40
    "catalog strings id",  // 41
    "is global sim object",  // 42
    "old tree id (init)",  // 43
    "old tree id (place)",  // 44
    "old tree id (user pickup)",  // 45
    "wall style",  // 46
    "old tree id (load)",  // 47
    "old tree id (user place)",  // 48
    "object version",  // 49
    "old tree id (room changed)",  // 50
    "motive effects id",  // 51
    "old tree id (cleanup)",  // 52
    "old tree id (level info request)",  // 53
    "catalog popup id",  // 54
    "old tree id (serving surface)",  // 55
    "level offset",  // 56
    "shadow",  // 57
    "num attributes",  // 58
    "old tree id (clean)",  // 59
    "old tree id (queue skipped)",  // 60
    "front direction",  // 61
    "old tree id (wall adjacency changed)",  // 62
    "mt lead object",  // 63
    "dynamic sprites base id",  // 64
    "num dynamic sprites",  // 65
    "chair entry flags",  // 66
    "tile width",  // 67
    "inhibit suit copying",  // 68
    "build mode type",  // 69
    "original guid 1",  // 70
    "original guid 2",  // 71
    "suit guid 1",  // 72
    "suit guid 2",  // 73
    "old tree id (pickup)",  // 74
    "thumbnail graphic",  // 75
    "shadow flags",  // 76
    "footprint mask",  // 77
    "old tree id (dynamic multi-tile update)",  // 78
    "shadow brightness",  // 79
    "old tree id (repair)",  // 80
    "wall style sprite id",  // 81
    "ratingHunger",  // 82
    "ratingComfort",  // 83
    "ratingHygiene",  // 84
    "ratingBladder",  // 85
    "ratingEnergy",  // 86
    "ratingFun",  // 87
    "ratingRoom",  // 88
    "ratingSkillFlags",  // 89
    "num type attributes",  // 90
    "misc flags",  // 91
    "type attr guid 1",  // 92
    "type attr guid 2",  // 93
};

constexpr std::string_view kJobDataLabels[] = {
    "number of levels",  // 0
    "salary",  // 1
    "min friend count",  // 2
    "min cook skill",  // 3
    "min repair skill",  // 4
    "min social skill",  // 5
    "min body skill",  // 6
    "min logic skill",  // 7
    "min creative skill",  // 8
    "min req 7",  // 9
    "min req 8",  // 10
    "min req 9",  // 11
    "start hour",  // 12
    "end hour",  // 13
    "hourly delta - hunger",  // 14
    "hourly delta - comfort",  // 15
    "hourly delta - hygiene",  // 16
    "hourly delta - bladder",  // 17
    "hourly delta - energy",  // 18
    "hourly delta - fun",  // 19
    "hourly delta - social",  // 20
    "car id",  // 21
    "has suit",  // 22
};

constexpr std::string_view kNeighborhoodDataLabels[] = {
    "level complete",  // 0
    "tutorial progress",  // 1
    "tutorial house number",  // 2
    "hide arrow",  // 3
};

static_assert(std::size(kObjectDataLabels) == 68 && std::size(kCodeObjectDataLabels) == 68);
static_assert(std::size(kPersonDataLabels) == 75 && std::size(kCodePersonDataLabels) == 75);
static_assert(std::size(kGlobalLabels) == 32 && std::size(kCodeGlobalLabels) == 27);
static_assert(std::size(kMotiveLabels) == 16 && std::size(kObjectDefinitionLabels) == 94);
static_assert(std::size(kJobDataLabels) == 23 && std::size(kNeighborhoodDataLabels) == 4);

template <std::size_t N>
std::string_view Lookup(const std::string_view (&table)[N], std::uint16_t index, std::string_view fallback)
{
    return index < N ? table[index] : fallback;
}

// What follows the fixed part of a scope's text.
enum class EValueForm
{
    Hex,               // the data value as four hexadecimal digits
    SignedDecimal,     // the data value as signed decimal
    InvalidUnlessZero, // "[Invalid]!" when the data value is not 0, nothing otherwise
    ObjectData,
    PersonData,
    Global,
    Motive,
    ObjectDefinition,
    JobData,
    NeighborhoodData,
    ConstantReference, // "table:entry" of a constant in a BCON chunk
};

struct CScopeForm
{
    std::string_view prefix;
    EValueForm value;
    std::string_view suffix;
};

// Scopes 11 and 17 open with "(" and close with "]": users know them that way.
constexpr CScopeForm kCodeScopeForms[kCodeScopeCount] = {
    {"MyAttr->Attr", EValueForm::Hex, ""},                      // 0
    {"StackobjAttr->Attr", EValueForm::Hex, ""},                // 1
    {"TargetobjAttr->Attr", EValueForm::Hex, ""},               // 2
    {"My->", EValueForm::ObjectData, ""},                       // 3
    {"Stackobj->", EValueForm::ObjectData, ""},                 // 4
    {"Targetobj->", EValueForm::ObjectData, ""},                // 5
    {"Global->", EValueForm::Global, ""},                       // 6
    {"0x", EValueForm::Hex, ""},                                // 7
    {"Temp[0x", EValueForm::Hex, "]"},                          // 8
    {"StackParam[0x", EValueForm::Hex, "]"},                    // 9
    {"Stackobj-ID", EValueForm::InvalidUnlessZero, ""},         // 10
    {"Temp[temp](", EValueForm::Hex, "]"},                      // 11
    {"CheckTree_Ad_Range[0x", EValueForm::Hex, "]"},            // 12
    {"Stackobj_Temp[0x", EValueForm::Hex, "]"},                 // 13
    {"My_Motives[0x", EValueForm::Hex, "]"},                    // 14
    {"Stackobj_Motives[0x", EValueForm::Hex, "]"},              // 15
    {"Stackobj_Slot[0x", EValueForm::Hex, "]"},                 // 16
    {"Stackobj_Motive[temp](", EValueForm::Hex, "]"},           // 17
    {"My_PersonData->", EValueForm::PersonData, ""},            // 18
    {"Stackobj_PersonData->", EValueForm::PersonData, ""},      // 19
};

constexpr CScopeForm kPlainScopeForms[kPlainScopeCount] = {
    {"My Attribute ", EValueForm::SignedDecimal, ""},                                // 0
    {"Stack Obj's Attribute ", EValueForm::SignedDecimal, ""},                       // 1
    {"targ obj attr (DO NOT USE) ", EValueForm::SignedDecimal, ""},                  // 2
    {"My ", EValueForm::ObjectData, ""},                                             // 3
    {"Stack Object's ", EValueForm::ObjectData, ""},                                 // 4
    {"targ obj's (DO NOT USE) ", EValueForm::ObjectData, ""},                        // 5
    {"Global ", EValueForm::Global, ""},                                             // 6
    {"", EValueForm::SignedDecimal, ""},                                             // 7
    {"Temporary Storage ", EValueForm::SignedDecimal, ""},                           // 8
    {"Parameter ", EValueForm::SignedDecimal, ""},                                   // 9
    {"Stack Object ID ", EValueForm::SignedDecimal, ""},                             // 10
    {"Temporary Storage[temp] ", EValueForm::SignedDecimal, ""},                     // 11
    {"check tree ad range ", EValueForm::SignedDecimal, ""},                         // 12
    {"stack obj's Temporary Storage ", EValueForm::SignedDecimal, ""},               // 13
    {"my motives ", EValueForm::Motive, ""},                                         // 14
    {"stack obj's motives ", EValueForm::Motive, ""},                                // 15
    {"stack object's slot ", EValueForm::SignedDecimal, ""},                         // 16
    {"stack obj's motive[temp] ", EValueForm::SignedDecimal, ""},                    // 17
    {"my person data ", EValueForm::PersonData, ""},                                 // 18
    {"stack obj's person data ", EValueForm::PersonData, ""},                        // 19
    {"my slot ", EValueForm::SignedDecimal, ""},                                     // 20
    {"stack object's definition ", EValueForm::ObjectDefinition, ""},                // 21
    {"stack obj attr[stack param] ", EValueForm::SignedDecimal, ""},                 // 22
    {"room [temp 0] ", EValueForm::SignedDecimal, ""},                               // 23
    {"neighbor in stack object ", EValueForm::SignedDecimal, ""},                    // 24
    {"Local Variable ", EValueForm::SignedDecimal, ""},                              // 25
    {"Constant Value ", EValueForm::ConstantReference, ""},                          // 26
    {"Dynamic Sprite Flag[temp] of Stack Object ", EValueForm::SignedDecimal, ""},   // 27
    {"check tree ad personality var ", EValueForm::SignedDecimal, ""},               // 28
    {"check tree ad min ", EValueForm::SignedDecimal, ""},                           // 29
    {"my person data [temp] ", EValueForm::SignedDecimal, ""},                       // 30
    {"stack obj's person data [temp] ", EValueForm::SignedDecimal, ""},              // 31
    {"neighbor's person data ", EValueForm::PersonData, ""},                         // 32
    {"job data [temp 0,1] ", EValueForm::JobData, ""},                               // 33
    {"neighborhood data ", EValueForm::NeighborhoodData, ""},                        // 34
    {"stack object's function ", EValueForm::SignedDecimal, ""},                     // 35
    {"my type attr ", EValueForm::SignedDecimal, ""},                                // 36
    {"stack obj's type attr ", EValueForm::SignedDecimal, ""},                       // 37
};

}  // namespace

void AppendHex4(std::string& out, std::uint16_t value)
{
    const char digits[4] = {kHexDigits[(value >> 12) & 0xF], kHexDigits[(value >> 8) & 0xF],
                            kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]};
    out.append(digits, 4);
}

void AppendHex2(std::string& out, std::uint8_t value)
{
    const char digits[2] = {kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]};
    out.append(digits, 2);
}

void AppendSignedDecimal(std::string& out, std::uint16_t value)
{
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), static_cast<std::int16_t>(value));
    out.append(digits, result.ptr);
}

void AppendDecimal(std::string& out, std::uint32_t value)
{
    char digits[12];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, result.ptr);
}

std::string_view ObjectDataLabel(std::uint16_t index)
{
    return Lookup(kObjectDataLabels, index, "unknown");
}

std::string_view CodeObjectDataLabel(std::uint16_t index)
{
    return Lookup(kCodeObjectDataLabels, index, "unknown");
}

std::string_view PersonDataLabel(std::uint16_t index)
{
    return Lookup(kPersonDataLabels, index, "unknown");
}

std::string_view CodePersonDataLabel(std::uint16_t index)
{
    return Lookup(kCodePersonDataLabels, index, "Unknown");
}

std::string_view GlobalLabel(std::uint16_t index)
{
    return Lookup(kGlobalLabels, index, "unknown");
}

std::string_view CodeGlobalLabel(std::uint16_t index)
{
    return Lookup(kCodeGlobalLabels, index, "Unknown");
}

std::string_view MotiveLabel(std::uint16_t index)
{
    return Lookup(kMotiveLabels, index, "unknown");
}

std::string_view ObjectDefinitionLabel(std::uint16_t index)
{
    return Lookup(kObjectDefinitionLabels, index, "");
}

std::string_view JobDataLabel(std::uint16_t index)
{
    return Lookup(kJobDataLabels, index, "unknown");
}

std::string_view NeighborhoodDataLabel(std::uint16_t index)
{
    return Lookup(kNeighborhoodDataLabels, index, "unknown");
}

void AppendCodeOperand(std::string& out, std::uint8_t scope, std::uint16_t data)
{
    if (scope >= kCodeScopeCount)
    {
        out += "0x";
        AppendHex2(out, scope);
        out += "[0x";
        AppendHex4(out, data);
        out += ']';
        return;
    }
    const CScopeForm& form = kCodeScopeForms[scope];
    out += form.prefix;
    switch (form.value)
    {
    case EValueForm::Hex:
        AppendHex4(out, data);
        break;
    case EValueForm::InvalidUnlessZero:
        if (data != 0)
            out += "[Invalid]!";
        break;
    case EValueForm::ObjectData:
        out += CodeObjectDataLabel(data);
        break;
    case EValueForm::PersonData:
        out += CodePersonDataLabel(data);
        break;
    case EValueForm::Global:
        out += CodeGlobalLabel(data);
        break;
    default:
        break;
    }
    out += form.suffix;
}

std::string FormatCodeOperand(std::uint8_t scope, std::uint16_t data)
{
    std::string text;
    AppendCodeOperand(text, scope, data);
    return text;
}

void AppendPlainOperand(std::string& out, std::uint8_t scope, std::uint16_t data)
{
    if (scope >= kPlainScopeCount)
    {
        AppendDecimal(out, scope);
        out += "->";
        AppendSignedDecimal(out, data);
        return;
    }
    const CScopeForm& form = kPlainScopeForms[scope];
    out += form.prefix;
    switch (form.value)
    {
    case EValueForm::SignedDecimal:
        AppendSignedDecimal(out, data);
        break;
    case EValueForm::ObjectData:
        out += ObjectDataLabel(data);
        break;
    case EValueForm::PersonData:
        out += PersonDataLabel(data);
        break;
    case EValueForm::Global:
        out += GlobalLabel(data);
        break;
    case EValueForm::Motive:
        out += MotiveLabel(data);
        break;
    case EValueForm::ObjectDefinition:
        out += ObjectDefinitionLabel(data);
        break;
    case EValueForm::JobData:
        out += JobDataLabel(data);
        break;
    case EValueForm::NeighborhoodData:
        out += NeighborhoodDataLabel(data);
        break;
    case EValueForm::ConstantReference:
        // The data value packs a constant table (upper nine bits, counted from 4096) and an entry.
        AppendDecimal(out, 4096u + (data >> 7));
        out += ':';
        AppendDecimal(out, data & 127u);
        break;
    default:
        break;
    }
    out += form.suffix;
}
