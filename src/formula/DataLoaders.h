#pragma once
// Data-series loaders the engine calls through its aLoadFunctions table: prices, volume,
// calendar values, bar counts and a few constants, for the formula's own series or another
// security's or period's, lined up with the formula's bars.

class CElement;
class CKlineLight;
class CSouceEditor;

void InstallDataLoaders();

// Period code of a (data type, period) pair as the PERIOD series gives it.
int PeriodCode(int dataType, int period);

int LoadSeries(CElement* element, CKlineLight* formula, CSouceEditor* ctx);
