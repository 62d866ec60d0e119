// Windows Installer custom actions: each export of vantrel.dll and driver.dll as an immediate
// DLL custom action of the same name, with the queries linked in (Windows Installer runs a
// custom action's DLL from a temporary copy of its Binary table entry, with nothing beside
// it to load). Each action is a host of its own: it fills a variable table of fixed slots
// from the package's properties of the same names, calls the query with a call record, and
// writes the answer into the property VANTREL_RESULT names and the return value into
// VANTREL_RETURN. This file is used for Windows only.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "hostcall/host_call.h"
#include "integrations/msi/custom_actions.h"
#include "integrations/msi/queries.h"
#include "platform/calling_convention.h"

namespace {

// The result variable in slot 0, then at most four inputs.
constexpr std::uint32_t table_capacity = 5;
// "%NAME%" of a bare name of up to 29 characters and its end.
constexpr std::uint32_t name_width = hostcall::max_bare_name_length + 3;
// Wider than every input buffer of the queries (1024 bytes at most), so a property cut to
// its slot is still too long for the query, which refuses it as from any host: a key path
// is never cut to another key's. GetHW's list needs 16 KiB.
constexpr std::uint32_t input_width = 2048;
constexpr std::uint32_t list_width = 16 * 1024;
// The result variable's name in the table; the property it names receives its value.
constexpr char result_variable[] = "VANTREL_RESULT";
// Where the answer goes when VANTREL_RESULT names no property.
constexpr char default_result_property[] = "VANTREL_ANSWER";
constexpr char return_property[] = "VANTREL_RETURN";
// Property names are identifiers of at most 72 characters.
constexpr DWORD property_name_capacity = 73;

using Query = std::int32_t(STDCALL_ABI*)(HostCallRecord*) noexcept;

struct Action {
    Query query;
    // The properties the query reads, in table order; the list ends at the first null.
    std::array<const char*, table_capacity - 1> inputs;
    std::uint32_t value_width;
    // GreaterEqual answers through its return value alone and leaves the result alone.
    bool answers_in_text;
};

// One table for every action: Windows Installer runs one immediate action of a session at
// a time, and the queries keep static storage of their own anyway.
std::array<char, table_capacity * name_width> names;
std::array<char, table_capacity * list_width> values;

char* name_slot(std::uint32_t slot) { return names.data() + slot * name_width; }
char* value_slot(std::uint32_t slot, std::uint32_t width) { return values.data() + slot * width; }

// A bounded copy that always ends the text within the slot.
void copy_into_slot(char* slot, std::size_t width, const char* text) {
    const std::size_t length = strnlen(text, width - 1);
    std::memcpy(slot, text, length);
    slot[length] = '\0';
}

// Reads the whole property, length characters, into storage of its own and copies its start
// into the slot. False when there is no storage, or the property did not fit after all;
// length then holds what MsiGetPropertyA last asked for.
bool copy_start_of_property(MSIHANDLE session, const char* name, char* slot, std::uint32_t width, DWORD& length) {
    if (length >= MAXDWORD - 1) return false;
    DWORD size = length + 1;
    char* whole = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (whole == nullptr) return false;
    const UINT status = MsiGetPropertyA(session, name, whole, &size);
    if (status == ERROR_SUCCESS) copy_into_slot(slot, width, whole);
    HeapFree(GetProcessHeap(), 0, whole);
    length = size;
    return status == ERROR_SUCCESS;
}

// A property longer than its slot. MsiGetPropertyA promises nothing of what a buffer too
// small holds afterwards (Wine fills it with the value's start; Windows may leave the last
// action's value there), so the value is read again, whole, and cut to the slot as every
// host's slot cuts it: a query that reads it whole then refuses it, as from any host. Should
// that fail too, the slot is filled to its width, which such a query refuses all the same.
void read_overlong_property(MSIHANDLE session, const char* name, char* slot, std::uint32_t width, DWORD length) {
    std::memset(slot, '?', width - 1);
    slot[width - 1] = '\0';
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (copy_start_of_property(session, name, slot, width, length)) return;
    }
}

// Reads a property into a slot of the given width. A longer value is cut to the slot; a
// missing property reads as "", as a missing variable does.
void read_property(MSIHANDLE session, const char* name, char* slot, std::uint32_t width) {
    DWORD size = width;
    const UINT status = MsiGetPropertyA(session, name, slot, &size);
    if (status == ERROR_MORE_DATA) read_overlong_property(session, name, slot, width, size);
    else if (status != ERROR_SUCCESS) slot[0] = '\0';
}

// Puts a variable named name into the next slot of the table, its value the property's.
void add_variable(MSIHANDLE session, HostCallRecord& record, const char* name) {
    char wrapped[name_width];
    std::snprintf(wrapped, sizeof wrapped, "%%%s%%", name);
    copy_into_slot(name_slot(record.count), name_width, wrapped);
    read_property(session, name, value_slot(record.count, record.value_width), record.value_width);
    ++record.count;
}

HostCallRecord fill_table(MSIHANDLE session, const Action& action) {
    HostCallRecord record{};
    record.capacity = table_capacity;
    record.name_width = name_width;
    record.value_width = action.value_width;
    record.names = names.data();
    record.values = values.data();
    record.result_name = result_variable;
    // The result variable first, empty: GreaterEqual never writes it, and nothing else reads it.
    copy_into_slot(name_slot(0), name_width, "%VANTREL_RESULT%");
    value_slot(0, action.value_width)[0] = '\0';
    record.count = 1;
    for (const char* input : action.inputs) {
        if (input == nullptr) break;
        add_variable(session, record, input);
    }
    return record;
}

// The answer goes to the property VANTREL_RESULT names, or to VANTREL_ANSWER when it names
// none; a name longer than any property's is no property, and nothing is written.
void write_answer(MSIHANDLE session, const char* answer) {
    char property[property_name_capacity];
    DWORD size = property_name_capacity;
    if (MsiGetPropertyA(session, result_variable, property, &size) != ERROR_SUCCESS) return;
    MsiSetPropertyA(session, property[0] != '\0' ? property : default_result_property, answer);
}

// A query never fails the installation: the action reports success, and the package reads
// VANTREL_RETURN.
UINT run(MSIHANDLE session, const Action& action) {
    HostCallRecord record = fill_table(session, action);
    const std::int32_t returned = action.query(&record);
    if (action.answers_in_text) write_answer(session, value_slot(0, action.value_width));
    char number[16];
    std::snprintf(number, sizeof number, "%ld", static_cast<long>(returned));
    MsiSetPropertyA(session, return_property, number);
    return ERROR_SUCCESS;
}

const Action get_quendrix{GetQuendrix, {"REGISTRY_VIEW"}, input_width, true};
const Action get_wexo{GetWexo, {"REGISTRY_VIEW"}, input_width, true};
const Action get_zelk{GetZelk, {"REGISTRY_VIEW"}, input_width, true};
const Action greater_equal{GreaterEqual, {"STRING_1", "STRING_2"}, input_width, false};
const Action get_driver_ver{GetDriverVer, {"DRIVER_PATH"}, input_width, true};
const Action get_reg_key{GetRegKey, {"REGISTRY_KEY", "REGISTRY_ITER", "REGISTRY_VIEW"}, input_width, true};
const Action get_reg_keys{GetRegKeys, {"REGISTRY_KEY", "REGISTRY_MIN", "REGISTRY_CRT", "REGISTRY_VIEW"},
                          input_width, true};
const Action map_reg_keys{MapRegKeys, {"REGISTRY_KEYS", "REGISTRY_SEL"}, input_width, true};
const Action get_hw{GetHW, {}, list_width, true};

}  // namespace

EXPORT_ABI UINT STDCALL_ABI GetQuendrixAction(MSIHANDLE session) { return run(session, get_quendrix); }
EXPORT_ABI UINT STDCALL_ABI GetWexoAction(MSIHANDLE session) { return run(session, get_wexo); }
EXPORT_ABI UINT STDCALL_ABI GetZelkAction(MSIHANDLE session) { return run(session, get_zelk); }
EXPORT_ABI UINT STDCALL_ABI GreaterEqualAction(MSIHANDLE session) { return run(session, greater_equal); }
EXPORT_ABI UINT STDCALL_ABI GetDriverVerAction(MSIHANDLE session) { return run(session, get_driver_ver); }
EXPORT_ABI UINT STDCALL_ABI GetRegKeyAction(MSIHANDLE session) { return run(session, get_reg_key); }
EXPORT_ABI UINT STDCALL_ABI GetRegKeysAction(MSIHANDLE session) { return run(session, get_reg_keys); }
EXPORT_ABI UINT STDCALL_ABI MapRegKeysAction(MSIHANDLE session) { return run(session, map_reg_keys); }
EXPORT_ABI UINT STDCALL_ABI GetHWAction(MSIHANDLE session) { return run(session, get_hw); }
