// Vantorel's entry: create the main window and run until it is closed.
#include "formchart.h"

#include "vcl/forms.h"

int main(int, char **)
{
    try {
        vcl::Application->Initialize();
        vcl::Application->CreateForm(FormMain);
        vcl::Application->Run();
    } catch (const vcl::Exception &exception) {
        vcl::Application->ShowException(exception);
    }
    return 0;
}
