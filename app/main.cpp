#include "vantrelle/app/Application.h"
#include "vantrelle/app/LocalTitleService.h"
#include "vantrelle/app/TForm1.h"

int main(int argc, char** argv)
{
    vantrelle::app::Application application(argc, argv);
    vantrelle::app::TForm1 form;
    form.show();
    const vantrelle::app::LocalTitleService titles(form);
    return vantrelle::app::Application::exec();
}
