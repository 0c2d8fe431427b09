// The two views of the binding model: the rows of the list view and the items of the hotkey
// component. Row i and item i show binding i of the model for the whole run; after each change
// of the model they are brought in step with it here, and nowhere else.
#pragma once

#include <string>
#include <vector>

#include "framework/ListView.h"
#include "hotkeys/QmHotKey.h"
#include "ui/BindingList.h"

class TBindingViews {
public:
    // Gives the list its columns, "Action" and "Hotkey", whole rows selected and no caption
    // edited in place, and images as its state images. Takes the hotkey component's
    // registration event: a refused shortcut marks its binding in the model and its row.
    TBindingViews(TBindingList& model, fw::TListView& list, fw::TImageList& images, TQmHotKeys& hotKeys);
    // Draws the state images for the DPI of window, at the start and after each change of it:
    // drawn anew, not stretched.
    void DrawStateImages(HWND window);

    // Follows one change of the model: rows and items that moved move with their registrations,
    // added ones are made, a deleted one goes with its registration, and every row's texts,
    // state image and every item's shortcut and enabled flag then match the model. With
    // retryRefused the rows the change names ask the system again for a shortcut it refused.
    void Follow(const TListChange& change, bool retryRefused = false);
    // Every item off while suspended (the editor is open); otherwise as the model says.
    void SetSuspended(bool suspended);
    bool Suspended() const { return FSuspended; }
    // The blank row holds the list's focus: given it at each activation, and back after a
    // selection while the blank row is in view.
    void FocusBlankRow();
    void SelectionChanged();
    // The selected row, when there is one, takes the focus: the arrow keys move from there.
    void FocusSelectedRow();
    // The shortcut texts of those of these rows that are enabled but held by another program.
    std::vector<std::string> RefusedShortcuts(const std::vector<int>& rows) const;

private:
    void FollowItems();
    void RegistrationChanged(int index);

    TBindingList& FModel;
    fw::TListView& FList;
    fw::TImageList& FImages;
    THotKeys& FItems;
    bool FSuspended = false;
    bool FDeleting = false;
};
