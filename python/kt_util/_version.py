# The version of the libraries this package is made for. CMake refuses to
# configure when it differs from the project's, so the two move together.
__version__ = "0.1.0"
