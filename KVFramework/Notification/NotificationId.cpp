#include "Notification/NotificationId.h"

#include "NotificationLocks.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace KV {
namespace {

// The texts live in a deque, which never moves an element once it is stored, so the
// address of each text stays valid however large the table grows. Nothing is removed.
struct IdentifierTable
{
    std::deque<std::u16string> texts;
    std::unordered_map<std::u16string_view, NotificationId> byText;
    std::unordered_set<NotificationId> identifiers;
};

IdentifierTable& Table()
{
    // Never destroyed: threads may still intern while the process exits.
    static IdentifierTable* const table = new IdentifierTable();
    return *table;
}

} // namespace

NotificationId InternNotificationId(const char16_t* text)
{
    if (!text || text[0] == 0)
        return nullptr;
    MutexLock lock(IdentifierMutex());
    IdentifierTable& table = Table();
    if (table.identifiers.count(text))
        return text;
    const std::u16string_view view(text);
    if (auto found = table.byText.find(view); found != table.byText.end())
        return found->second;
    const std::u16string& stored = table.texts.emplace_back(view);
    NotificationId id = stored.c_str();
    table.byText.emplace(std::u16string_view(stored), id);
    table.identifiers.insert(id);
    return id;
}

String GetNotificationIdText(NotificationId id)
{
    return IsNotificationId(id) ? String(id) : String();
}

bool IsNotificationId(const char16_t* text)
{
    if (!text)
        return false;
    MutexLock lock(IdentifierMutex());
    return Table().identifiers.count(text) != 0;
}

} // namespace KV
