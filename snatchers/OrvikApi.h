// Marks the library's classes and functions that pelmora.exe exports.
//
// The library's own sources are compiled with ORVIK_BUILD: their objects
// carry the export directives, and pelmora.exe, which links them whole,
// exports everything so marked. A program that links against pelmora.exe's
// import library defines ORVIK_IMPORT before including the unit headers.
// Code linked into the same image as the library (the program, the tests)
// defines neither.
#pragma once

#ifndef ORVIK_API
#if defined(ORVIK_BUILD)
#define ORVIK_API __declspec(dllexport)
#elif defined(ORVIK_IMPORT)
#define ORVIK_API __declspec(dllimport)
#else
#define ORVIK_API
#endif
#endif
