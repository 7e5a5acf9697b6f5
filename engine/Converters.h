// The converter of each conversion mode. The program wires its three in one
// place before a run: the calendar's lives above the engine, which cannot
// reach it by itself. A mode without a converter writes nothing, and its
// run ends as not completed.
#pragma once

class CProDlg;

using Converter = void (*)(CProDlg& dialog);

struct ConverterSet {
    Converter mail = nullptr;
    Converter contacts = nullptr;
    Converter calendar = nullptr;
};

void InstallConverters(const ConverterSet& converters);
// The converter of one mode (1 mail, 2 contacts, 3 calendar); null takes it
// away.
void InstallConverter(int mode, Converter converter);
Converter InstalledConverter(int mode);

// The engine's own converters.
void RunMailConversion(CProDlg& dialog);
void RunContactConversion(CProDlg& dialog);
