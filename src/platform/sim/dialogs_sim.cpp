// dialogs_sim.cpp - the dialog part of the platform seam on the substitute
// host's dialog model (hostsim/sim_dialogs.h). Each operation is logged in
// the model's call list, so tests can check the order the module works in.
#include <algorithm>
#include <cstring>
#include <string>

#include "hostsim/hostsim.h"
#include "hostsim/sim_dialogs.h"
#include "platform/platform_dialogs.h"

using hostsim::ControlById;
using hostsim::ControlOf;
using hostsim::LogCall;
using hostsim::SimControl;

// "dialog", or the control's id, for the call log.
static std::string Who(PlatWindow window) {
    const SimControl* c = ControlOf(window);
    return c ? std::to_string(c->id) : std::string(hostsim::DialogOf(window) ? "dialog" : "none");
}

static SimControl* List(PlatWindow list) {
    SimControl* c = ControlOf(list);
    return (c && c->className == "SysListView32") ? c : nullptr;
}

static hostsim::SimProperty* FindProperty(std::vector<hostsim::SimProperty>* props, const char* name) {
    for (hostsim::SimProperty& p : *props) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

// The property list of a dialog or control; null for other windows.
static std::vector<hostsim::SimProperty>* PropertiesOf(PlatWindow window) {
    if (hostsim::SimDialog* d = hostsim::DialogOf(window)) return &d->props;
    if (SimControl* c = ControlOf(window)) return &c->props;
    return nullptr;
}

// [SECTION] Dialogs

PlatResult PlatDialogBox(PlatInstance, int templateId, PlatWindow owner, PlatDialogProc proc, PlatLParam param) {
    return hostsim::RunModalDialog(templateId, owner, proc, param);
}

void PlatEndDialog(PlatWindow dialog, PlatResult result) {
    const hostsim::SimDialog* d = hostsim::DialogOf(dialog);
    LogCall("end %d %lld", d ? d->templateId : 0, (long long)result);
    hostsim::EndDialog(dialog, result);
}

// Host windows get the message through the host; dialogs and their
// controls through their procedures.
PlatResult PlatSendMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    if (hostsim::WindowOf(window)) {
        LogCall("send %s 0x%04X %llu %lld", hostsim::WindowOf(window)->name.c_str(), message,
                (unsigned long long)wParam, (long long)lParam);
        if (message == kMsgNcLButtonDown && wParam == PlatWParam(kHitSystemMenu)) {
            hostsim::Dialogs().systemMenuClicks++;
        }
        hostsim::SendMessage(window, message, wParam, lParam);
        return 0;
    }
    return hostsim::SendToWindow(window, message, wParam, lParam);
}

PlatWindow PlatDialogItem(PlatWindow dialog, int id) {
    SimControl* c = ControlById(dialog, id);
    return c ? c->handle : nullptr;
}

PlatWindow PlatParentWindow(PlatWindow window) {
    return hostsim::ParentOf(window);
}

// [SECTION] Controls

void PlatSetItemText(PlatWindow dialog, int id, const char* text) {
    LogCall("text %d %s", id, text);
    if (SimControl* c = ControlById(dialog, id)) c->text = text;
}

std::size_t PlatItemText(PlatWindow dialog, int id, char* buf, std::size_t size) {
    if (size == 0) return 0;
    buf[0] = 0;
    const SimControl* c = ControlById(dialog, id);
    if (!c) return 0;
    std::size_t n = std::min(c->text.size(), size - 1);
    std::memcpy(buf, c->text.data(), n);
    buf[n] = 0;
    return n;
}

void PlatSetItemChecked(PlatWindow dialog, int id, int checked) {
    LogCall("check %d %d", id, checked);
    if (SimControl* c = ControlById(dialog, id)) c->checked = checked ? 1 : 0;
}

int PlatItemChecked(PlatWindow dialog, int id) {
    const SimControl* c = ControlById(dialog, id);
    return c ? c->checked : 0;
}

// [SECTION] Placement

void PlatScreenSize(std::int32_t* width, std::int32_t* height) {
    *width = hostsim::kSimScreenWidth;
    *height = hostsim::kSimScreenHeight;
}

int PlatWindowSize(PlatWindow window, std::int32_t* width, std::int32_t* height) {
    const hostsim::SimDialog* d = hostsim::DialogOf(window);
    if (!d) return 0;
    *width = d->width;
    *height = d->height;
    return 1;
}

void PlatMoveWindow(PlatWindow window, std::int32_t x, std::int32_t y) {
    LogCall("move %d %d", int(x), int(y));
    if (hostsim::SimDialog* d = hostsim::DialogOf(window)) d->x = x, d->y = y;
}

// [SECTION] Properties, subclassing, timers

int PlatSetProperty(PlatWindow window, const char* name, PlatLParam value) {
    LogCall("property %s %s", Who(window).c_str(), name);
    std::vector<hostsim::SimProperty>* props = PropertiesOf(window);
    if (!props) return 0;
    if (hostsim::SimProperty* p = FindProperty(props, name)) {
        p->value = value;
    } else {
        props->push_back(hostsim::SimProperty{name, value});
    }
    return 1;
}

PlatLParam PlatProperty(PlatWindow window, const char* name) {
    std::vector<hostsim::SimProperty>* props = PropertiesOf(window);
    const hostsim::SimProperty* p = props ? FindProperty(props, name) : nullptr;
    return p ? p->value : 0;
}

void PlatRemoveProperty(PlatWindow window, const char* name) {
    std::vector<hostsim::SimProperty>* props = PropertiesOf(window);
    if (!props) return;
    props->erase(std::remove_if(props->begin(), props->end(),
                                [name](const hostsim::SimProperty& p) { return p.name == name; }),
                 props->end());
}

PlatWindowProc PlatSubclassWindow(PlatWindow window, PlatWindowProc proc) {
    LogCall("subclass %s", Who(window).c_str());
    SimControl* c = ControlOf(window);
    if (!c) return nullptr;
    PlatWindowProc previous = c->proc;
    c->proc = proc;
    return previous;
}

PlatResult PlatCallWindowProc(PlatWindowProc proc, PlatWindow window, std::uint32_t message, PlatWParam wParam,
                              PlatLParam lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}

void PlatSetTimer(PlatWindow window, std::uintptr_t id, std::uint32_t periodMs) {
    LogCall("timer %llu %u", (unsigned long long)id, periodMs);
    hostsim::SimDialog* d = hostsim::DialogOf(window);
    if (!d) return;
    std::uint32_t due = hostsim::Get().clockMs + periodMs;
    for (hostsim::SimTimer& t : d->timers) {
        if (t.id == id) return void(t = hostsim::SimTimer{id, periodMs, due});
    }
    d->timers.push_back(hostsim::SimTimer{id, periodMs, due});
}

// [SECTION] Report-view lists

void PlatListAddColumn(PlatWindow list, int column, const char* text, int widthPixels) {
    LogCall("column %d %s %d", column, text, widthPixels);
    SimControl* c = List(list);
    if (!c || column < 0) return;
    std::size_t at = std::min(std::size_t(column), c->columns.size());
    c->columns.insert(c->columns.begin() + long(at), hostsim::SimListColumn{text, widthPixels});
    for (hostsim::SimListRow& row : c->rows) row.texts.insert(row.texts.begin() + long(at), "");
}

void PlatListClear(PlatWindow list) {
    LogCall("clear");
    if (SimControl* c = List(list)) c->rows.clear();
}

int PlatListInsertRow(PlatWindow list, int row, const char* text, PlatLParam data) {
    SimControl* c = List(list);
    if (!c || row < 0) return -1;
    std::size_t at = std::min(std::size_t(row), c->rows.size());
    hostsim::SimListRow r{std::vector<std::string>(std::max<std::size_t>(c->columns.size(), 1)), data, false};
    r.texts[0] = text;
    c->rows.insert(c->rows.begin() + long(at), r);
    return int(at);
}

void PlatListSetText(PlatWindow list, int row, int column, const char* text) {
    SimControl* c = List(list);
    if (!c || row < 0 || std::size_t(row) >= c->rows.size() || column < 0) return;
    std::vector<std::string>& texts = c->rows[std::size_t(row)].texts;
    if (std::size_t(column) < texts.size()) texts[std::size_t(column)] = text;
}

int PlatListRowCount(PlatWindow list) {
    const SimControl* c = List(list);
    return c ? int(c->rows.size()) : 0;
}

int PlatListSelectedCount(PlatWindow list) {
    const SimControl* c = List(list);
    if (!c) return 0;
    return int(std::count_if(c->rows.begin(), c->rows.end(), [](const hostsim::SimListRow& r) { return r.selected; }));
}

int PlatListRowSelected(PlatWindow list, int row) {
    const SimControl* c = List(list);
    if (!c || row < 0 || std::size_t(row) >= c->rows.size()) return 0;
    return c->rows[std::size_t(row)].selected ? 1 : 0;
}

PlatLParam PlatListRowData(PlatWindow list, int row) {
    const SimControl* c = List(list);
    if (!c || row < 0 || std::size_t(row) >= c->rows.size()) return 0;
    return c->rows[std::size_t(row)].data;
}

// The list view's sort keeps rows that compare equal in their order.
void PlatListSort(PlatWindow list, PlatListCompare compare, PlatLParam context) {
    LogCall("sort");
    SimControl* c = List(list);
    if (!c || !compare) return;
    std::stable_sort(c->rows.begin(), c->rows.end(), [&](const hostsim::SimListRow& a, const hostsim::SimListRow& b) {
        return compare(a.data, b.data, context) < 0;
    });
}
