#include "win32/RegistrySettings.hpp"

#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* keyPath = L"Software\\vorpi";
constexpr const wchar_t* delayValue = L"Delay";
constexpr const wchar_t* scaleValue = L"Scale";

std::string narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

}

SaverSettings RegistrySettings::load()
{
    SaverSettings settings;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return settings;
    DWORD delay = 0;
    DWORD type = 0;
    DWORD size = sizeof delay;
    if (RegQueryValueExW(key, delayValue, nullptr, &type, reinterpret_cast<BYTE*>(&delay), &size) == ERROR_SUCCESS
        && type == REG_DWORD && size == sizeof delay)
        settings.delayMicroseconds = SaverSettings::clampDelay(delay);
    wchar_t scale[32] = {};
    size = sizeof scale - sizeof(wchar_t);
    if (RegQueryValueExW(key, scaleValue, nullptr, &type, reinterpret_cast<BYTE*>(scale), &size) == ERROR_SUCCESS
        && type == REG_SZ)
        if (auto parsed = SaverSettings::parseScale(narrow(scale)))
            settings.scale = *parsed;
    RegCloseKey(key);
    return settings;
}

bool RegistrySettings::save(const SaverSettings& settings)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    bool saved = true;
    if (settings.delayMicroseconds) {
        DWORD delay = *settings.delayMicroseconds;
        saved &= RegSetValueExW(key, delayValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&delay), sizeof delay)
            == ERROR_SUCCESS;
    } else {
        RegDeleteValueW(key, delayValue);
    }
    std::string scaleText = SaverSettings::formatScale(settings.scale);
    std::wstring scale(scaleText.begin(), scaleText.end());
    saved &= RegSetValueExW(key, scaleValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(scale.c_str()),
                 static_cast<DWORD>((scale.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
    RegCloseKey(key);
    return saved;
}
