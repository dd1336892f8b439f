#pragma once

struct ListEntry;

// What a list window hands its selection to: the tag editor.
class ItemInfoSink
{
public:
    virtual ~ItemInfoSink() = default;
    // Loads the row into the editor's controls.
    virtual void submitItemInfo(const ListEntry& entry) = 0;
    // Rows of search-result windows must not be edited.
    virtual void setSaveEnabled(bool enabled) = 0;
};
