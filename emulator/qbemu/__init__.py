"""A local stand-in for the QuickBase XML API, used by the driver's tests and demos."""
