#include "ui/MemoryControls.h"

#include <stdexcept>

namespace veltra {

MemoryControls::MemoryControls() {
    for (const ControlTemplate& control : mainDialogTemplate().controls) {
        if (control.id == ControlId::None) {
            continue;
        }
        State state;
        state.kind = control.kind;
        state.text = std::string(control.text);
        for (std::string_view entry : listEntries(control.id)) {
            state.entries.emplace_back(entry);
        }
        controls_[control.id] = std::move(state);
    }
}

MemoryControls::State& MemoryControls::at(ControlId id) {
    const auto found = controls_.find(id);
    if (found == controls_.end()) {
        // A control the template does not have is a programming error, not user input.
        throw std::logic_error("no control with id " + std::to_string(toInt(id)));
    }
    return found->second;
}

const MemoryControls::State* MemoryControls::find(ControlId id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void MemoryControls::notify(ControlId id, Notification what) {
    if (listener_) {
        listener_(id, what);
    }
}

std::string MemoryControls::text(ControlId id) const {
    const State* state = find(id);
    return state ? state->text : std::string();
}

void MemoryControls::setText(ControlId id, std::string_view text) {
    State& state = at(id);
    state.text = std::string(text);
    ++changes_;
    if (state.kind == ControlKind::Edit) {
        notify(id, Notification::TextChanged);
    }
}

int MemoryControls::selection(ControlId id) const {
    const State* state = find(id);
    return state ? state->selection : -1;
}

void MemoryControls::select(ControlId id, int index) {
    State& state = at(id);
    const bool inList = index >= 0 && index < static_cast<int>(state.entries.size());
    state.selection = inList ? index : -1;
    ++changes_;
}

int MemoryControls::entryCount(ControlId id) const {
    const State* state = find(id);
    return state ? static_cast<int>(state->entries.size()) : 0;
}

std::string MemoryControls::entryText(ControlId id, int index) const {
    const State* state = find(id);
    if (!state || index < 0 || index >= static_cast<int>(state->entries.size())) {
        return {};
    }
    return state->entries[static_cast<std::size_t>(index)];
}

bool MemoryControls::isChecked(ControlId id) const {
    const State* state = find(id);
    return state && state->checked;
}

void MemoryControls::setEnabled(ControlId id, bool enabled) {
    at(id).enabled = enabled;
}

bool MemoryControls::isEnabled(ControlId id) const {
    const State* state = find(id);
    return state && state->enabled;
}

void MemoryControls::showMessage(std::string_view utf8Text) {
    messages_.emplace_back(utf8Text);
    if (responder_) {
        responder_(utf8Text);
    }
}

void MemoryControls::type(ControlId id, std::string_view text) {
    at(id);  // the control must exist
    setText(id, text);
}

void MemoryControls::choose(ControlId id, int index) {
    select(id, index);
    notify(id, Notification::SelectionChanged);
}

void MemoryControls::click(ControlId id) {
    State& state = at(id);
    if (state.kind == ControlKind::CheckBox) {
        state.checked = !state.checked;
        ++changes_;
    }
    notify(id, Notification::Clicked);
}

void MemoryControls::clearLog() {
    messages_.clear();
    refreshed_.clear();
}

}  // namespace veltra
