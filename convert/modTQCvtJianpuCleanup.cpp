#include "convert/modTQCvtJianpuCleanup.h"

TJianpuCleanups JianpuCleanups;

void CleanJianpuRowAccidentals(int row) {
    if (JianpuCleanups.RespellDoubleAccidentals)
        JianpuCleanups.RespellDoubleAccidentals(row);
    if (JianpuCleanups.RemoveRedundantAccidentals)
        JianpuCleanups.RemoveRedundantAccidentals(row);
}
