#pragma once

#include <QWidget>
#include <memory>

// Each chart element alone at its edge cases, one captioned row per case.
std::unique_ptr<QWidget> qualityBarSheet();
std::unique_ptr<QWidget> barsSheet();
std::unique_ptr<QWidget> sparklineSheet();
