#pragma once
// main() of a benchmark program that needs Qt's widgets (headless).

#include <benchmark/benchmark.h>

#include <QApplication>

#define ORBEX_QT_BENCHMARK_MAIN()                 \
  int main(int argc, char** argv) {               \
    qputenv("QT_QPA_PLATFORM", "offscreen");      \
    QApplication app(argc, argv);                 \
    benchmark::Initialize(&argc, argv);           \
    benchmark::RunSpecifiedBenchmarks();          \
    benchmark::Shutdown();                        \
    return 0;                                     \
  }
