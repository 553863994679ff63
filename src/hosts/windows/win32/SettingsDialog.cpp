#include "win32/SettingsDialog.hpp"

#include "options/OptionError.hpp"
#include "win32/AsciiText.hpp"
#include "win32/RegistrySettings.hpp"
#include "win32/resource.h"

#include <string>

namespace {

std::string fieldText(HWND dialog, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return narrowed(text);
}

void showSettings(HWND dialog, const SaverSettings& settings)
{
    if (settings.delayMicroseconds)
        SetDlgItemTextW(dialog, IDC_DELAY, widened(std::to_string(*settings.delayMicroseconds)).c_str());
    if (settings.seed)
        SetDlgItemTextW(dialog, IDC_SEED, widened(std::to_string(*settings.seed)).c_str());
    // A scale set outside the dialog, if it is not one of the offered, is offered too.
    std::wstring chosen = widened(SaverSettings::scaleText(settings.scale));
    for (const std::string& choice : SaverSettings::scaleChoices())
        SendDlgItemMessageW(dialog, IDC_SCALE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widened(choice).c_str()));
    if (SendDlgItemMessageW(dialog, IDC_SCALE, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(chosen.c_str())) == CB_ERR)
        SendDlgItemMessageW(dialog, IDC_SCALE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
    SendDlgItemMessageW(dialog, IDC_SCALE, CB_SELECTSTRING, -1, reinterpret_cast<LPARAM>(chosen.c_str()));
}

// Saves the fields; false, with the reason shown, when one cannot be taken or saved.
bool saveFields(HWND dialog)
{
    SaverSettings settings;
    try {
        settings.delayMicroseconds = SaverSettings::readDelay(fieldText(dialog, IDC_DELAY));
        settings.scale = SaverSettings::readScale(fieldText(dialog, IDC_SCALE));
        settings.seed = SaverSettings::readSeed(fieldText(dialog, IDC_SEED));
    } catch (const OptionError& error) {
        MessageBoxW(dialog, widened(error.what()).c_str(), L"vorpi", MB_OK | MB_ICONWARNING);
        return false;
    }
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
        auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
        for (auto [size, metric] : { std::pair { ICON_SMALL, SM_CXSMICON }, std::pair { ICON_BIG, SM_CXICON } }) {
            HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_VORPI), IMAGE_ICON, GetSystemMetrics(metric),
                GetSystemMetrics(metric), LR_SHARED);
            SendMessageW(dialog, WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
        }
        showSettings(dialog, RegistrySettings::load());
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
