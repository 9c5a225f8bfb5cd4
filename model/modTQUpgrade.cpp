#include "model/modTQUpgrade.h"

uint32_t UpgradeChordAttr(int /*version*/, uint32_t attr) {
    if (attr == 65536)
        return 3;
    return attr;
}

void UpgradeDotFlags(const TCell& owner, uint32_t& attr, uint32_t& option, int version) {
    if (version >= 401)
        return;
    const bool west = owner.cellType == ctWestern;
    if (option == 0xFFFFFFFFu)
        option = 0;
    else if (version < 398 && !west)
        option &= ~(0x400u | 0x800u | 0x20u | 0x8u | 0x40u);
    if (!west && attr == 11) {
        option |= 0x8;
        attr = 0;
    }
    if (attr == 16) {
        option |= 0x40;
        attr = 0;
    }
}

uint32_t UpgradeAttrCode(TCell& cell, uint32_t attr, uint32_t& option, int version) {
    if (cell.cellType == ctWestern) {
        if (cell.Note < 0)
            return attr;
        if (cell.Note == 56)
            cell.Note = 21;
        else if (cell.Note == 57)
            cell.Note = 20;
        else if (cell.Note == 58)
            cell.Note = 19;
    }
    if (cell.cellType == ctText && attr == 1)
        return 0xF0;
    if ((option & 0x80000u) && version > 400) {
        option &= ~0x80000u;
        return 0x80;
    }
    if (version <= 402 && cell.fontSizeR < 0.8f)
        option |= 0x10000000u;
    if (cell.cellType == 5) {
        cell.cellType = ctJianpu;
        return 0xC0;
    }
    if (cell.cellType == 6) {
        cell.cellType = ctJianpu;
        return 0xD0;
    }
    if (cell.cellType != ctJianpu && cell.cellType != ctWestern)
        return attr;
    switch (attr) {
    case 1: return 0x10;
    case 2: return 0x20;
    case 3: return 0x30;
    case 4: return 1;
    case 5: return 2;
    case 6: return 0x40;
    case 7: return 0x50;
    case 8: return 0xA0;
    case 9: return 3;
    case 10: return 0xB0;
    case 12: return 4;
    case 13: return 5;
    case 17: return 6;
    case 18: return 7;
    case 19: return 8;
    case 20: return 9;
    default: return 0;
    }
}

void UpgradeCellCodes(TCell& cell) {
    if (cell.cellType == ctWestern) {
        switch (cell.Note) {
        case 50: cell.Note = 62; break;
        case 51: cell.Note = 63; break;
        case 52: cell.Note = 60; break;
        case 53: cell.Note = 61; break;
        case 54: cell.Note = 58; break;
        case 55: cell.Note = 59; break;
        default: break;
        }
    } else if (cell.cellType == ctJianpu) {
        switch (cell.Note) {
        case 105: cell.Note = 60; break;
        case 73: cell.Note = 61; break;
        case 108: cell.Note = 62; break;
        case 124: cell.Note = 63; break;
        default: break;
        }
    }
}
