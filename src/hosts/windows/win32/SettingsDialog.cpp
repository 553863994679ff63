#include "win32/SettingsDialog.hpp"

#include "win32/RegistrySettings.hpp"
#include "win32/resource.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace {

std::string fieldText(HWND dialog, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    std::string result;
    for (const wchar_t* c = text; *c; ++c)
        result += *c < 128 ? static_cast<char>(*c) : '?';
    return result;
}

void setFieldText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextW(dialog, id, std::wstring(text.begin(), text.end()).c_str());
}

// Saves the fields; false, with the reason shown, when one cannot be taken.
bool saveFields(HWND dialog)
{
    SaverSettings settings;
    std::string delay = fieldText(dialog, IDC_DELAY);
    if (!delay.empty()) {
        std::uint64_t microseconds = 0;
        auto [end, error] = std::from_chars(delay.data(), delay.data() + delay.size(), microseconds);
        if (error == std::errc::result_out_of_range)
            microseconds = UINT64_MAX;
        else if (error != std::errc() || end != delay.data() + delay.size()) {
            MessageBoxW(dialog, L"The delay is a whole number of microseconds.", L"vorpi", MB_OK | MB_ICONWARNING);
            return false;
        }
        settings.delayMicroseconds = SaverSettings::clampDelay(microseconds);
    }
    auto scale = SaverSettings::parseScale(fieldText(dialog, IDC_SCALE));
    if (!scale) {
        MessageBoxW(dialog, L"The scale is \"auto\" or a number from 1 to 4.", L"vorpi", MB_OK | MB_ICONWARNING);
        return false;
    }
    settings.scale = *scale;
    if (!RegistrySettings::save(settings)) {
        MessageBoxW(dialog, L"The settings could not be saved.", L"vorpi", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        SaverSettings settings = RegistrySettings::load();
        if (settings.delayMicroseconds)
            setFieldText(dialog, IDC_DELAY, std::to_string(*settings.delayMicroseconds));
        setFieldText(dialog, IDC_SCALE, SaverSettings::formatScale(settings.scale));
        return TRUE;
    }
    case WM_COMMAND:
        // The process ends with the dialog still up: destroying a window stalls for seconds under Wine.
        if (LOWORD(wParam) == IDOK && saveFields(dialog))
            PostQuitMessage(0);
        else if (LOWORD(wParam) == IDCANCEL)
            PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}

bool SettingsDialog::run(HINSTANCE instance, HWND owner)
{
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(DLG_SCRNSAVECONFIGURE), owner, dialogProc, 0);
    if (!dialog)
        return false;
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    if (owner)
        EnableWindow(owner, TRUE);
    return true;
}
