#pragma once

#include "framework/Form.h"

class TFormOption : public fw::TForm {
public:
    explicit TFormOption(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormOption"; }

protected:
    void ReadDescription() override;
};

extern TFormOption* FormOption;
