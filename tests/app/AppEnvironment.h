#pragma once
// The one toolkit application of the window tests, created before the
// first test and destroyed after the last.
class TVelmoraApplication;

TVelmoraApplication& TestApplication();
