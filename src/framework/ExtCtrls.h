// Containers and pictures: a bevelled panel and an icon image.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Handles.h"

namespace fw {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A container drawn with an outer and an inner bevel; its children sit inside it.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* AOwner);
    std::string ClassName() const override { return "TPanel"; }

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);

    TBevelCut FBevelOuter = TBevelCut::bvRaised;
    TBevelCut FBevelInner = TBevelCut::bvNone;
};

// An icon drawn at the control's size, which follows the window's DPI.
class TImage : public TWinControl {
public:
    explicit TImage(TComponent* AOwner);
    std::string ClassName() const override { return "TImage"; }

    HICON Icon() const { return FIcon; }
    // Shows an icon that the caller keeps.
    void SetIcon(HICON value);
    // Shows an icon that the image keeps and destroys.
    void SetIcon(THIcon value);
    // Shows an icon resource of the program, loaded at the size the control has on screen.
    void SetIconResource(const std::string& name);

    void CNDrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void ScaleChanged() override;

private:
    void LoadResourceIcon();

    HICON FIcon = nullptr;
    THIcon FOwned;
    std::string FResource;
};

}  // namespace fw
