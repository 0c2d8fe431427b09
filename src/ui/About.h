#pragma once

#include "framework/Form.h"

class TAboutBox : public fw::TForm {
public:
    explicit TAboutBox(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TAboutBox"; }

protected:
    void ReadDescription() override;
};

extern TAboutBox* AboutBox;
