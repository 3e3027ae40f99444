#pragma once

// The selections of price changes: those of a day, and those the last
// import brought. Each is a selection command (SelecaoCommand.h).

namespace zev {

class TOperator;

// "Hoje", "Amanhã", "Data": the products whose price changes on the day (a
// price change, an offer that starts, an offer that ended the day before),
// without those lacking a barcode, those with a barcode below "Min Balanca",
// boxes unless "Atacado" is set, and those not of the type chosen. "Selecao
// Data" becomes the day.
void SelectByDate(TOperator& op, double day);

// "&Ultima Importação": the products whose regular or offer price differs
// from the one they had before the last import. "Selecao Data" stays.
void SelectChangedPrices(TOperator& op);

} // namespace zev
