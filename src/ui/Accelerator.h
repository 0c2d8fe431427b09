#pragma once

#include "framework/Form.h"

class TFormAccelerator : public fw::TForm {
public:
    explicit TFormAccelerator(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormAccelerator"; }

protected:
    void ReadDescription() override;
};

extern TFormAccelerator* FormAccelerator;
