// The key recorder: a small window that takes the next key pressed as a binding's key.
#pragma once

#include <cstdint>

#include "framework/Form.h"
#include "framework/StdCtrls.h"

class TFormRecorder : public fw::TForm {
public:
    explicit TFormRecorder(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormRecorder"; }

    fw::TLabel* Label1 = nullptr;
    fw::TButton* cmdCancel = nullptr;

    // The virtual-key code of the key accepted last; kept between uses.
    std::uint16_t RecordedKey = 0;

    void FormActivate(fw::TObject* Sender);
    void FormKeyDown(fw::TObject* Sender, std::uint16_t& Key, fw::TShiftState Shift);
    void cmdCancelClick(fw::TObject* Sender);

protected:
    void ReadDescription() override;
};

extern TFormRecorder* FormRecorder;
