#pragma once

#include "framework/Form.h"

class TFormRecorder : public fw::TForm {
public:
    explicit TFormRecorder(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormRecorder"; }

protected:
    void ReadDescription() override;
};

extern TFormRecorder* FormRecorder;
